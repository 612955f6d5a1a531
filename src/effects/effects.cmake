list(APPEND ZORBEL_EFFECT_SOURCES
    Palette.cpp Palette.h
    CellLook.cpp CellLook.h
    WaitingIndicator.cpp WaitingIndicator.h
    TextFlash.cpp TextFlash.h
    ThirdStageOverwrite.cpp ThirdStageOverwrite.h
    MessageBoard.cpp MessageBoard.h
    Ending.cpp Ending.h
    Demonstration.cpp Demonstration.h
)
