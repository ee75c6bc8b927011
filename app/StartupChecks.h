#pragma once
// The two small checks of program start-up.
#include <QString>

class SingleInstance;

// True when the system needs software OpenGL before the application object
// exists. The answer is computed once and cached for the run.
bool IsBelowWindows10();

// Called before the application object exists. Every window of the program
// is drawn by Qt's raster engine and nothing renders through OpenGL, yet
// Qt's X11 platform loads a GL integration at start, which maps the whole
// GL driver (some 45 MB resident on Mesa). Unless the environment already
// chooses an integration, none is loaded.
void PrepareRasterGraphics();

// True when this process is the first instance; false after the running
// instance was asked to bring its window to the front. The instance object
// lives for the whole run and raises the login, home or main window (the
// first visible, in that order) when a later start asks.
bool CheckSingleInstance(const char* name);

// The process-wide instance guard made by CheckSingleInstance (null before).
SingleInstance* SingleInstanceGuard();
// Gives the instance up (before this process starts its successor).
void ReleaseSingleInstance();
