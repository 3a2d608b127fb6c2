#include "app/dialogs/bank_csv_dialog.h"

#include "app/widgets/page_controls.h"
#include "bank/bank_csv.h"
#include "csv/csv_format.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using page_controls::named;

namespace {

constexpr int kSampleLines = 6;

// The first records as text, for the user to recognise the columns; what does not decode shows as U+FFFD.
std::vector<QStringList> sampleLines(const QByteArray& bytes)
{
    const bool utf8 = bytes.startsWith(csv::kUtf8Bom) ||
                      csv::Converter(csv::CsvEncoding::Utf8).decode(bytes.constData(), bytes.size());
    csv::Converter converter(utf8 ? csv::CsvEncoding::Utf8 : csv::CsvEncoding::Cp932);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    csv::RecordStream records(buffer);
    if (utf8)
        records.skipPrefix(csv::kUtf8Bom);
    std::vector<QStringList> lines;
    csv::ByteRecord record;
    while (int(lines.size()) < kSampleLines && records.next(record)) {
        QStringList fields;
        for (const QByteArray& field : record.fields)
            fields << converter.decodeLossy(field.constData(), field.size());
        lines.push_back(fields);
    }
    return lines;
}

// The first column whose header holds one of the words, else `fallback`.
int columnNamed(const QStringList& header, const QStringList& words, int fallback)
{
    for (const QString& word : words)
        for (int i = 0; i < header.size(); ++i)
            if (header[i].contains(word))
                return i;
    return fallback;
}

} // namespace

BankCsvDialog::BankCsvDialog(const QByteArray& bytes, QWidget* parent)
    : QDialog(parent), m_lines(sampleLines(bytes))
{
    setObjectName(QStringLiteral("dlg銀行CSV様式"));
    setWindowTitle(QStringLiteral("銀行の CSV の列"));
    int columns = 0;
    for (const QStringList& line : m_lines)
        columns = std::max(columns, int(line.size()));
    const QStringList header = m_lines.empty() ? QStringList() : m_lines.front();

    Grid様式見本 =
        named(new QTableWidget(int(m_lines.size()), columns, this), QStringLiteral("Grid様式見本"));
    Grid様式見本->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList numbers;
    for (int c = 0; c < columns; ++c)
        numbers << QStringLiteral("%1列目").arg(c + 1);
    Grid様式見本->setHorizontalHeaderLabels(numbers);
    for (int r = 0; r < int(m_lines.size()); ++r)
        for (int c = 0; c < int(m_lines[std::size_t(r)].size()); ++c)
            Grid様式見本->setItem(r, c, new QTableWidgetItem(m_lines[std::size_t(r)][c]));
    Grid様式見本->resizeColumnsToContents();

    const auto columnBox = [&](const char* name, int chosen) {
        auto* box = named(new QComboBox(this), QString::fromUtf8(name));
        for (int c = 0; c < columns; ++c)
            box->addItem(QStringLiteral("%1列目　%2").arg(c + 1).arg(header.value(c)));
        box->setCurrentIndex(std::min(chosen, columns - 1));
        return box;
    };
    // The usual headers of the banks' statements give the first guess.
    cmb日付列 =
        columnBox("cmb日付列", columnNamed(header, {QStringLiteral("日付"), QStringLiteral("取引日")}, 0));
    cmb名前列 = columnBox(
        "cmb名前列",
        columnNamed(header, {QStringLiteral("依頼人"), QStringLiteral("摘要"), QStringLiteral("名")}, 1));
    cmb金額列 =
        columnBox("cmb金額列", columnNamed(header, {QStringLiteral("入金"), QStringLiteral("預入")}, 2));
    chk見出し = named(new QCheckBox(QStringLiteral("1行目は見出し"), this), QStringLiteral("chk見出し"));
    chk見出し->setChecked(true);
    cmb文字コード = named(new QComboBox(this), QStringLiteral("cmb文字コード"));
    cmb文字コード->addItems(
        {QStringLiteral("自動判別"), QStringLiteral("UTF-8"), QStringLiteral("Shift_JIS（CP932）")});
    txt口座 = named(new QLineEdit(this), QStringLiteral("txt口座"));
    txt口座->setPlaceholderText(QStringLiteral("例: 本店 普通 1234567"));

    cmd様式OK = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmd様式OK"));
    cmd様式取消 = named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("cmd様式取消"));
    connect(cmd様式OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmd様式取消, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("日付の列"), cmb日付列);
    form->addRow(QStringLiteral("振込依頼人名の列"), cmb名前列);
    form->addRow(QStringLiteral("入金額の列"), cmb金額列);
    form->addRow(QString(), chk見出し);
    form->addRow(QStringLiteral("文字コード"), cmb文字コード);
    form->addRow(QStringLiteral("口座の名前"), txt口座);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd様式OK);
    buttons->addWidget(cmd様式取消);
    auto* layout = new QVBoxLayout(this);
    m_intro = new QLabel(QStringLiteral("この形の CSV は初めてです。列を選んでください（次からは同じ形の"
                                        "ファイルにこの指定を使います）。"),
                         this);
    layout->addWidget(m_intro);
    layout->addWidget(Grid様式見本, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(760, 420);
}

bank::BankCsvMapping BankCsvDialog::mapping() const
{
    bank::BankCsvMapping mapping;
    mapping.dateColumn = std::max(0, cmb日付列->currentIndex());
    mapping.nameColumn = std::max(0, cmb名前列->currentIndex());
    mapping.amountColumn = std::max(0, cmb金額列->currentIndex());
    mapping.hasHeader = chk見出し->isChecked();
    if (cmb文字コード->currentIndex() == 1)
        mapping.encoding = csv::CsvEncoding::Utf8;
    else if (cmb文字コード->currentIndex() == 2)
        mapping.encoding = csv::CsvEncoding::Cp932;
    mapping.account = txt口座->text().trimmed();
    return mapping;
}

void BankCsvDialog::showMapping(const bank::BankCsvMapping& mapping)
{
    m_intro->setText(QStringLiteral("この形の CSV の列の指定を変えます（次からは同じ形のファイルに新しい"
                                    "指定を使います）。"));
    const auto choose = [](QComboBox* box, int column) {
        if (column >= 0 && column < box->count())
            box->setCurrentIndex(column);
    };
    choose(cmb日付列, mapping.dateColumn);
    choose(cmb名前列, mapping.nameColumn);
    choose(cmb金額列, mapping.amountColumn);
    chk見出し->setChecked(mapping.hasHeader);
    cmb文字コード->setCurrentIndex(!mapping.encoding                             ? 0
                                   : *mapping.encoding == csv::CsvEncoding::Utf8 ? 1
                                                                                 : 2);
    txt口座->setText(mapping.account);
}
