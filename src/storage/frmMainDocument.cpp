// The File menu's Open and Save commands.
#include "app/frmMain.h"

void frmMain::openDoc() {
}

void frmMain::saveDoc() {
}
