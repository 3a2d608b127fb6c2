#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

class Database;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class UserPrompts;

// What a hint button hands to the hint window: the key of the hint (window name, button name), the
// caption of the calling window, kept with the text for information, and the page the user is on.
struct HintHandOver
{
    QString formName;
    QString ctlName;
    QString formTitle;
    // The page's name as its tab shows it: what the user reads as the window's subject.
    QString pageName;
};

// The hint window: shows the help text stored for one hint button and lets the user write, change or
// delete it. Modeless, and deleted when closed, so that every opening starts afresh in read mode with
// the key it is given; a later hint button press does not change the key of an open window.
class Hint : public QWidget
{
    Q_OBJECT
public:
    // Questions, notices and failures go through `prompts`, the main window's.
    Hint(Database& db, const HintHandOver& handOver, std::shared_ptr<UserPrompts> prompts,
         QWidget* parent = nullptr);

    // The key comes from the labels, so the window saves under the key it shows.
    void readHint();
    void saveHint();
    void deleteHint();

    bool isEditMode() const { return m_editMode; }
    // The background of cmd編集, red in the lowest byte: it tells the mode.
    std::int64_t editButtonColour() const;

    QLabel* lblPageName = nullptr;
    // The key and the caption stored with the text: kept, hidden, for the store, not for the user.
    QLabel* lblFormTitle = nullptr;
    QLabel* lblFormName = nullptr;
    QLabel* lblCtlName = nullptr;
    QPlainTextEdit* txtContents = nullptr;
    QPushButton* cmd編集 = nullptr;
    QPushButton* cmd登録 = nullptr;
    QPushButton* cmd削除 = nullptr;
    QPushButton* cmdクリア = nullptr;
    QPushButton* cmd閉じる = nullptr;

private:
    void buildLayout();
    void connectButtons();
    void setEditMode(bool on);
    void toggleMode();
    void askAndSave();
    void askAndDelete();

    Database& m_db;
    std::shared_ptr<UserPrompts> m_prompts;
    bool m_editMode = false;
};
