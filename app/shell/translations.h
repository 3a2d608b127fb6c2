#pragma once

class QCoreApplication;
class QTranslator;

// Gives Qt's own dialogs (the buttons of the message boxes, the colour chooser, the print preview) their
// Japanese texts: loads Qt's Japanese translation, wherever this Qt keeps its translations or from a
// "translations" folder beside the program, and installs it in the application. Returns the installed
// translator, owned by the application, or nullptr when no translation file was found; the program then
// runs with Qt's English texts.
QTranslator* installQtJapanese(QCoreApplication& app);
