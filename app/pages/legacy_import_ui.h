#pragma once

#include "common/clock.h"

#include <QFrame>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QProgressBar;
class UserPrompts;

// The start-up's offer: when Dorivan.mdb of the data folder is an Access file (it starts with
// "Standard Jet DB"), it is not called damaged; the user is asked whether to import it. Yes (the
// default) imports it and the start goes on with the data; No ends the program with nothing changed.
// Returns the exit code when the program is to end, nothing when the start goes on.
std::optional<int> offerLegacyImportAtStart(const QString& dataFolder);

// The settings page's frame ImFrame旧データ取込: its button cmd旧データ取込 chooses a folder holding an
// Access Dorivan.mdb, warns when the data folder holds stored rows, imports with the frame's progress
// bar Pbar旧データ取込, has the window read everything again and shows what was imported.
class LegacyImportPanel : public QFrame
{
    Q_OBJECT
public:
    // What the import needs from the window: its prompts, clock and data folder, and the window's own
    // steps around files that are replaced under it.
    struct Source
    {
        std::shared_ptr<UserPrompts> prompts;
        // The time the replaced files are kept under.
        Clock clock;
        QString dataFolder;
        // Settles unsaved edits of the month; false when the user kept them (キャンセル).
        std::function<bool()> confirmLeavingMonth;
        // Lets go of the data files: the hint window closes, the grids and the database release them.
        std::function<void()> releaseData;
        // Opens the files again and reads every page; throws StorageError when they cannot be opened.
        std::function<void()> reloadData;
        // The files could not be opened again: the window closes.
        std::function<void()> closeWindow;
    };

    LegacyImportPanel(Source source, QWidget* parent);

    // The button's work.
    void importOlderData();

private:
    UserPrompts& prompts() const { return *m_source.prompts; }

    Source m_source;
    QProgressBar* m_progress = nullptr;
};
