# The splash screen and the options dialog.
list(APPEND ZORBEL_UI_SOURCES frmTitle.cpp frmTitle.h frmOption.cpp frmOption.h)
