#include "schedule_window.h"

#include "app/widgets/month_edit.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "support/controls.h"
#include "support/seed.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

std::unique_ptr<FrmDorivan> openWindow(const TempDataFolder& folder)
{
    auto window = std::make_unique<FrmDorivan>(folder.path(), std::make_shared<ScriptedPrompts>());
    control<QTabWidget>(*window, "SSTab1")->setCurrentIndex(0);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
}

void showMonth(FrmDorivan& window, const QDate& month)
{
    control<MonthEdit>(window, "Dt年月")->setMonth(month);
    QTest::mouseClick(control<QPushButton>(window, "cmd読込"), Qt::LeftButton);
}

void putCursor(FrmDorivan& window, int row, int column)
{
    control<BoundGrid>(window, "GridInp")->setFocus();
    control<BoundGrid>(window, "GridInp")
        ->setCurrentIndex(control<WorkTableModel>(window, "datInp")->index(row, column));
}

void typeKeys(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void pressKey(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

void commitImeText(const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
}

Value workCell(FrmDorivan& window, int rowNumber, const char* column)
{
    RowSet rows = window.db().openRowSet("select * from InpWork where 行番号 = ?", {Value(rowNumber)});
    return rows.isEmpty() ? Value() : rows.get(QString::fromUtf8(column));
}

QString shownText(FrmDorivan& window, int row, int column)
{
    return control<WorkTableModel>(window, "datInp")->index(row, column).data().toString();
}

void putWorkRow(FrmDorivan& window, int rowNumber, std::optional<int> day,
                const std::optional<QString>& payer, std::int64_t planned, std::int64_t received)
{
    // Through the grid's source, as typing writes: the draft takes each cell as one edit.
    WorkTableModel* model = control<WorkTableModel>(window, "datInp");
    const int row = rowNumber - 1;
    model->setData(model->index(row, kDay), day ? QVariant(QString::number(*day)) : QVariant());
    model->setData(model->index(row, kPayer), payer ? QVariant(*payer) : QVariant());
    model->setData(model->index(row, kPlanned), QVariant(qlonglong(planned)));
    model->setData(model->index(row, kReceived), QVariant(qlonglong(received)));
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool saveScreenshot(QWidget& window, const QString& path)
{
    QApplication::processEvents();
    const QImage picture = window.grab().toImage();
    return (picture.width() > 1000 ? picture.scaledToWidth(1000, Qt::SmoothTransformation) : picture)
        .save(path);
}
