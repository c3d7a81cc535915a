#pragma once

// Puts the widget side of the platform seams in place: message boxes, the
// busy cursor and the work area. Called once the QApplication exists.
void InstallQtPlatform();
