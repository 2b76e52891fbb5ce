#pragma once

// Runs the editor: the application object, the translations, the platform and the main window.
int runJotbook(int argc, char *argv[]);
