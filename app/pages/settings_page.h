#pragma once

#include "common/clock.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class AmountField;
class ClickableLabel;
class Database;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class UserPrompts;
namespace settings {
struct SettingsPage;
}

// The third page of the main window, 設定・情報: the settings record (era, automatic registration of
// payers, the ruled-line colour of the printout), the deletion of all data, the frames of the CSV
// exchange and of the import of older data, and the program's information and banner. The page holds
// the settings in effect: what was last read from the store, not what the page shows.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    // What the page needs from the window: the open database, the prompts, the program's caption for
    // the information label, and the frames of the CSV exchange and of the import of older data (built
    // by the window, which they work for).
    struct Source
    {
        std::function<Database*()> database;
        std::shared_ptr<UserPrompts> prompts;
        QString caption;
        std::function<QWidget*(QWidget* parent)> csvPanel;
        std::function<QWidget*(QWidget* parent)> legacyPanel;
        // Today: the day the bank's closing-day field starts from.
        Clock clock;
    };

    explicit SettingsPage(Source source, QWidget* parent = nullptr);

    // Reads the settings record into the page and puts its values in effect; the only place they are
    // set. A failed read keeps the values in effect (the user has been told).
    void readSettings();
    // Offers the eras to choose from, showing the one in effect (at load).
    void offerEras();

    // The settings in effect.
    const QString& eraValue() const { return m年号; }
    bool autoRegistration() const { return m入金先自動登録; }
    int lineColour() const { return m罫線色; }

signals:
    // The settings were read: the era value in effect may have changed.
    void settingsRead();
    // Every stored row, payer and setting was deleted.
    void allDataDeleted();
    void hintRequested(const QString& buttonName);

private:
    void buildLayout();
    void connectControls();
    UserPrompts& prompts() const { return *m_source.prompts; }
    Database& db() const { return *m_source.database(); }
    // Asks, then stores the page; the values in effect stay until the next read.
    void saveSettings();
    // The page only: nothing stored or in effect changes.
    void clearSettings();
    // Asks, then puts a stored row back to the defaults (creating none) and clears the page.
    void deleteSettings();
    // Empties the payer master, the schedule and the settings record (the question is the button's).
    void deleteAllData();
    // A click on the swatch (or Enter on it): a chosen colour goes to the page only.
    void chooseLineColour();
    // The swatch shows the colour of the number in the field.
    void showSwatch();
    void showPage(const settings::SettingsPage& page);
    settings::SettingsPage pageOnScreen() const;

    Source m_source;
    QString m年号;
    bool m入金先自動登録 = false;
    int m罫線色 = 0;

    QFrame* settingsFrame = nullptr;  // object name imContainer3D2
    QFrame* settingsFields = nullptr; // object name imContainer3D5
    QLabel* lbl年号 = nullptr;
    QComboBox* cmb年号 = nullptr;
    QCheckBox* Chk入金先自動登録 = nullptr;
    QLabel* lbl罫線色 = nullptr;
    ClickableLabel* Pic罫線色 = nullptr;
    AmountField* num白紙罫線色 = nullptr;
    QFrame* settingsButtons = nullptr; // object name imContainer3D7
    QPushButton* cmd設定削除 = nullptr;
    QPushButton* cmd設定クリア = nullptr;
    QPushButton* cmd設定登録 = nullptr;
    QPushButton* cmd設定読込 = nullptr;
    QPushButton* cmdHint2 = nullptr;
    QFrame* ImFrame3D1 = nullptr;
    QPushButton* cmd一括削除7 = nullptr;
    QLabel* lbl一括削除 = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* lblSupport = nullptr;
    ClickableLabel* supportBanner = nullptr; // object name Image2
};
