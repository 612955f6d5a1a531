list(APPEND ZORBEL_UI_SOURCES
    AnswerCell.cpp AnswerCell.h
    ClickLabel.h
    frmMain.cpp frmMain.h
    SignalCloser.cpp SignalCloser.h
)
