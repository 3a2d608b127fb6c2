#include "app/dialogs/csv_dialog.h"

#include "app/dialogs/standard_message.h"
#include "app/widgets/month_edit.h"
#include "app/widgets/page_controls.h"
#include "common/dates.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QVBoxLayout>

using page_controls::named;

namespace {

QString compactMonth(const QDate& month)
{
    return month.toString(QStringLiteral("yyyyMM"));
}

} // namespace

CsvDialog::CsvDialog(Mode mode, UserPrompts& prompts, Clock clock, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_prompts(prompts)
{
    const bool exporting = mode != Mode::Import;
    switch (mode) {
    case Mode::Export:
        setObjectName(QStringLiteral("CsvExportDialog"));
        setWindowTitle(QStringLiteral("CSV出力"));
        break;
    case Mode::Import:
        setObjectName(QStringLiteral("CsvImportDialog"));
        setWindowTitle(QStringLiteral("CSV取込"));
        break;
    case Mode::ListExport:
        setObjectName(QStringLiteral("CsvListExportDialog"));
        setWindowTitle(QStringLiteral("未入金一覧のCSV出力"));
        break;
    }
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    if (mode == Mode::Export) {
        auto* rangeBox = new QGroupBox(QStringLiteral("書き出す範囲"), this);
        m_all = named(new QRadioButton(QStringLiteral("すべての月"), rangeBox), QStringLiteral("opt全期間"));
        m_months =
            named(new QRadioButton(QStringLiteral("月を指定"), rangeBox), QStringLiteral("opt期間指定"));
        m_displayed =
            named(new QRadioButton(QStringLiteral("表示中の月"), rangeBox), QStringLiteral("opt表示月"));
        m_from = named(new MonthEdit(rangeBox), QStringLiteral("Dt開始年月"));
        m_from->setClock(clock);
        m_to = named(new MonthEdit(rangeBox), QStringLiteral("Dt終了年月"));
        m_to->setClock(clock);
        m_all->setChecked(true);
        auto* monthsRow = new QHBoxLayout;
        monthsRow->addWidget(m_months);
        monthsRow->addWidget(m_from);
        monthsRow->addWidget(new QLabel(QStringLiteral("～"), rangeBox));
        monthsRow->addWidget(m_to);
        monthsRow->addStretch();
        auto* rangeLayout = new QVBoxLayout(rangeBox);
        rangeLayout->addWidget(m_all);
        rangeLayout->addLayout(monthsRow);
        rangeLayout->addWidget(m_displayed);
        layout->addWidget(rangeBox);
        for (QRadioButton* option : {m_all, m_months, m_displayed})
            connect(option, &QRadioButton::toggled, this, [this] { updateMonthFields(); });
        const QDate thisMonth = todayBy(clock);
        setMonths(QDate(thisMonth.year(), 1, 1), thisMonth);
        updateMonthFields();
    }

    m_encoding = named(new QComboBox(this), QStringLiteral("cmb文字コード"));
    if (!exporting)
        m_encoding->addItem(QStringLiteral("自動判別"));
    m_encoding->addItem(exporting ? QStringLiteral("UTF-8（BOM付き）") : QStringLiteral("UTF-8"),
                        int(csv::CsvEncoding::Utf8));
    m_encoding->addItem(QStringLiteral("Shift_JIS（CP932）"), int(csv::CsvEncoding::Cp932));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("文字コード"), m_encoding);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ファイルを選ぶ…"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CsvDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CsvDialog::reject);
    layout->addWidget(buttons);
}

void CsvDialog::setDisplayedMonth(const QDate& month)
{
    m_displayedMonth = month.isValid() ? QDate(month.year(), month.month(), 1) : QDate();
    if (!m_displayed)
        return;
    m_displayed->setEnabled(m_displayedMonth.isValid());
    m_displayed->setText(
        m_displayedMonth.isValid()
            ? QStringLiteral("表示中の月（%1）").arg(formatMonth(m_displayedMonth, m_from->monthFormat()))
            : QStringLiteral("表示中の月"));
    if (!m_displayedMonth.isValid() && m_displayed->isChecked())
        m_all->setChecked(true);
}

void CsvDialog::setMonthFormat(const QString& format)
{
    if (!m_from)
        return;
    m_from->setMonthFormat(format);
    m_to->setMonthFormat(format);
    setDisplayedMonth(m_displayedMonth);
}

CsvDialog::Range CsvDialog::range() const
{
    if (m_months && m_months->isChecked())
        return Range::Months;
    if (m_displayed && m_displayed->isChecked())
        return Range::DisplayedMonth;
    return Range::All;
}

void CsvDialog::setRange(Range range)
{
    if (!m_all)
        return;
    (range == Range::Months           ? m_months
     : range == Range::DisplayedMonth ? m_displayed
                                      : m_all)
        ->setChecked(true);
}

void CsvDialog::setMonths(const QDate& from, const QDate& to)
{
    if (!m_from)
        return;
    m_from->setMonth(from);
    m_to->setMonth(to);
}

csv::ExportRange CsvDialog::exportRange() const
{
    switch (range()) {
    case Range::Months:
        return {m_from->month(), m_to->month()};
    case Range::DisplayedMonth:
        return {m_displayedMonth, m_displayedMonth};
    case Range::All:
        break;
    }
    return {};
}

std::optional<csv::CsvEncoding> CsvDialog::encoding() const
{
    const QVariant data = m_encoding->currentData();
    if (!data.isValid())
        return std::nullopt;
    return csv::CsvEncoding(data.toInt());
}

void CsvDialog::setEncoding(std::optional<csv::CsvEncoding> encoding)
{
    const int index = encoding ? m_encoding->findData(int(*encoding)) : 0;
    m_encoding->setCurrentIndex(std::max(index, 0));
}

void CsvDialog::updateMonthFields()
{
    const bool months = range() == Range::Months;
    m_from->setEnabled(months);
    m_to->setEnabled(months);
}

QString CsvDialog::suggestedName() const
{
    if (m_mode == Mode::Import)
        return QDir::homePath();
    if (m_mode == Mode::ListExport)
        return QDir::home().filePath(m_listFileName);
    QString name = QStringLiteral("入金予定表");
    const csv::ExportRange months = exportRange();
    if (range() == Range::DisplayedMonth)
        name += QLatin1Char('_') + compactMonth(months.fromMonth);
    else if (range() == Range::Months)
        name += QLatin1Char('_') + compactMonth(months.fromMonth) + QLatin1Char('-') +
                compactMonth(months.toMonth);
    return QDir::home().filePath(name + QStringLiteral(".csv"));
}

void CsvDialog::accept()
{
    if (range() == Range::Months) {
        const csv::ExportRange months = exportRange();
        if (!months.fromMonth.isValid() || !months.toMonth.isValid() || months.fromMonth > months.toMonth) {
            showStandardMessage(
                m_prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"),
                QStringLiteral("書き出す月の範囲を、始めの月から終わりの月の順に指定してください。"));
            return;
        }
    }
    FileRequest request;
    request.save = m_mode != Mode::Import;
    request.caption =
        request.save ? QStringLiteral("CSVファイルの書き出し先") : QStringLiteral("取り込むCSVファイル");
    request.suggested = suggestedName();
    request.filter = QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*)");
    request.defaultSuffix = QStringLiteral("csv");
    const QString chosen = m_prompts.chooseFile(this, request);
    if (chosen.isEmpty()) {
        reject();
        return;
    }
    m_fileName = chosen;
    QDialog::accept();
}

bool saveExportedCsv(UserPrompts& prompts, const QString& path, const csv::ExportResult& result)
{
    const QString shownPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const auto tell = [&prompts](const QString& message) {
        showStandardMessage(prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"), message);
    };
    // Written whole or not at all, so that a failed export never leaves half a file under its name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(result.bytes) != result.bytes.size() ||
        !file.commit()) {
        tell(QStringLiteral("ファイル「%1」に書き込めません。（%2）").arg(shownPath, file.errorString()));
        return false;
    }
    tell(QStringLiteral("ファイル「%1」に %2 行を書き出しました。").arg(shownPath).arg(result.rows));
    return true;
}
