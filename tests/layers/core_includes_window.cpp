// Must not build: the dialog is the core, and the window is a face over it.
#include "window/TemplateDialog.h"
