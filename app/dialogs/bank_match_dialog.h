#pragma once

#include <QDialog>
#include <QHash>
#include <QStringList>

#include <memory>
#include <vector>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QStringListModel;
class QTableWidget;
namespace bank {
struct DepositChoice;
struct MatchRun;
} // namespace bank

// 入金消込's review: every deposit of the file with its judgement and the rows proposed for it (Grid消込),
// 一致 ticked, the others waiting for the user to tick them after choosing the payer and the row. Nothing
// is stored here: choices() tells the caller what 登録 (cmd消込登録) confirmed.
class BankMatchDialog : public QDialog
{
    Q_OBJECT
public:
    // The entry of the 消込先 box that adds a row rather than paying one.
    inline static const QString kNewRow = QStringLiteral("（新しい行を追加）");

    // `payers` are the names of the payer master, offered for a deposit the user assigns by hand.
    BankMatchDialog(bank::MatchRun run, QStringList payers, QWidget* parent = nullptr);
    ~BankMatchDialog() override;

    // What exec() returns when the user asked to choose the CSV's columns again (cmd様式変更).
    static constexpr int kChangeColumns = 2;
    // Offers cmd様式変更, for a CSV read through a mapping chosen before.
    void offerColumnChange();

    // The ticked deposits as the user settled them.
    std::vector<bank::DepositChoice> choices() const;
    const bank::MatchRun& run() const { return *m_run; }

private:
    void fillRow(int row);
    // The 消込先 box of a deposit the user decides, for the payer chosen in its 入金先名 box.
    void offerRows(int row);
    void showCount();

    std::unique_ptr<bank::MatchRun> m_run;
    QStringList m_payers;                    // the master, after an empty entry
    QStringListModel* m_payerList = nullptr; // the same, shared by every payer box
    QTableWidget* Grid消込 = nullptr;
    QLabel* lbl消込件数 = nullptr;
    QPushButton* cmd消込登録 = nullptr;
    QPushButton* cmd消込取消 = nullptr;
    QPushButton* cmd様式変更 = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    std::vector<QComboBox*> m_payerBoxes; // per deposit; nothing for 一致 and 消込済
    std::vector<QComboBox*> m_rowBoxes;
    QHash<QString, std::vector<std::size_t>> m_rowsOfPayer; // the run's open rows by payer
};
