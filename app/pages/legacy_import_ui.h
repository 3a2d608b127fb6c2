#pragma once

#include <QString>

#include <functional>
#include <optional>

class QFrame;
class QProgressBar;
class QWidget;

// The start-up's offer: when Dorivan.mdb of the data folder is an Access file (it starts with
// "Standard Jet DB"), it is not called damaged; the user is asked whether to import it. Yes (the
// default) imports it and the start goes on with the data; No ends the program with nothing changed.
// Returns the exit code when the program is to end, nothing when the start goes on.
std::optional<int> offerLegacyImportAtStart(const QString& dataFolder);

// The settings page's frame ImFrame旧データ取込: its button cmd旧データ取込 runs `import` with the
// frame's progress bar Pbar旧データ取込.
QFrame* buildLegacyImportPanel(QWidget* parent, std::function<void(QProgressBar*)> import);
