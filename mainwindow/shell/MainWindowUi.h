#pragma once
// The room window's generated form, for the room's parts outside the shell
// (and tests) that reach its widgets through MainWindow::Form().
#include "ui_MainWindow.h"
