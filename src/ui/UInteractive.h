#pragma once

class TDBConvertApp;

// Fills the application's front-end seams with the windows: the main window for the
// interactive run, message boxes for error reports and questions, the file dialog.
void InstallFrontEnd(TDBConvertApp& app);
