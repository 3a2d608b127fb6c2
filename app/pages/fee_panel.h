#pragma once

#include <QGroupBox>

#include <functional>
#include <memory>

class AmountField;
class Database;
class QListWidget;
class QPushButton;
class UserPrompts;

// The transfer fees a payer may deduct (振込手数料), which 入金消込 allows for: the list (lst振込手数料), a
// field and its button to add one (txt振込手数料, cmd手数料追加) and the deletion of the selected one
// (cmd手数料削除). Each change is stored at once; the list then shows what is stored.
class FeePanel : public QGroupBox
{
    Q_OBJECT
public:
    FeePanel(std::function<Database*()> database, std::shared_ptr<UserPrompts> prompts,
             QWidget* parent = nullptr);

    void refresh();
    void addFee();
    void deleteSelectedFee();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<Database*()> m_database;
    std::shared_ptr<UserPrompts> m_prompts;
    QListWidget* lst振込手数料 = nullptr;
    AmountField* txt振込手数料 = nullptr;
    QPushButton* cmd手数料追加 = nullptr;
    QPushButton* cmd手数料削除 = nullptr;
};
