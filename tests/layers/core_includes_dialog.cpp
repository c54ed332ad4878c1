// Must not build: the programmer serves every face; the window's presenter is one of them.
#include "dialog/KorvelDlg.h"
