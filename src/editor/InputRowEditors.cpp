#include "InputRowEditors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
constexpr int columnSpacing = 6;
constexpr int rowMargin = 2;
const QString alarmOutputCaption = QStringLiteral("Alarm Output");

QHBoxLayout *rowLayout(QWidget *panel, int indent)
{
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(rowMargin + indent, 1, rowMargin, 1);
    layout->setSpacing(columnSpacing);
    return layout;
}
} // namespace

const InputRowEditors::Columns &InputRowEditors::columns(const QWidget *reference) const
{
    if (!columns_) {
        const QFontMetrics metrics = reference->fontMetrics();
        // The widest caption of either group, whole.
        const int caption = metrics.horizontalAdvance(QStringLiteral("bI31 (11111b)")) + 8;
        QComboBox probe;
        probe.addItems({QStringLiteral("None"), QStringLiteral("064")});
        QCheckBox alarm(alarmOutputCaption);
        columns_ = Columns{caption, probe.sizeHint().width(), metrics.horizontalAdvance(QStringLiteral("0000")) + 16,
                           alarm.sizeHint().width()};
    }
    return *columns_;
}

QWidget *InputRowEditors::createRow(int row, QWidget *parent)
{
    const InputRowControls &names = inputRowControls[row];
    const Columns &widths = columns(parent);
    QWidget *host = parent;
    if (names.enclosingPanel) {
        host = new QFrame(parent);
        host->setObjectName(QString::fromLatin1(names.enclosingPanel));
        (new QHBoxLayout(host))->setContentsMargins(0, 0, 0, 0);
    }
    RowWidgets &widgets = rows_[row];
    auto *panel = new QFrame(host);
    panel->setObjectName(QString::fromLatin1(names.panel));
    widgets.panel = names.enclosingPanel ? host : panel;
    QHBoxLayout *layout = rowLayout(panel, 0);
    widgets.caption = new QLabel(panel);
    widgets.caption->setFixedWidth(widths.caption);
    layout->addWidget(widgets.caption);
    for (int i = 0; i < clipsPerEntry; ++i) {
        auto *selector = new QComboBox(panel);
        selector->setObjectName(QString::fromLatin1(names.clipSelectors[i]));
        selector->setToolTip(QStringLiteral("#%1").arg(i + 1));
        selector->setFixedWidth(widths.selector);
        widgets.clipSelectors[i] = selector;
        layout->addWidget(selector);
        QObject::connect(selector, &QComboBox::currentIndexChanged, selector, [this] { edited(); });
    }
    widgets.repeatEdit = new QLineEdit(QStringLiteral("1"), panel);
    widgets.repeatEdit->setObjectName(QString::fromLatin1(names.repeatEdit));
    widgets.repeatEdit->setToolTip(QStringLiteral("Repeat"));
    widgets.repeatEdit->setFixedWidth(widths.repeat);
    widgets.alarmCheckBox = new QCheckBox(alarmOutputCaption, panel);
    widgets.alarmCheckBox->setObjectName(QString::fromLatin1(names.alarmCheckBox));
    widgets.alarmCheckBox->setFixedWidth(widths.alarm);
    QObject::connect(widgets.repeatEdit, &QLineEdit::textChanged, widgets.repeatEdit, [this] { edited(); });
    QObject::connect(widgets.alarmCheckBox, &QCheckBox::toggled, widgets.alarmCheckBox, [this] { edited(); });
    layout->addWidget(widgets.repeatEdit);
    layout->addWidget(widgets.alarmCheckBox);
    layout->addStretch(1);
    if (names.enclosingPanel)
        host->layout()->addWidget(panel);
    return widgets.panel;
}

QWidget *InputRowEditors::createHeader(QWidget *parent, int indent) const
{
    const Columns &widths = columns(parent);
    auto *header = new QWidget(parent);
    QHBoxLayout *layout = rowLayout(header, indent);
    auto add = [header, layout](const QString &text, int width) {
        auto *label = new QLabel(text, header);
        label->setFixedWidth(width);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    };
    add(QString(), widths.caption);
    for (int i = 1; i <= clipsPerEntry; ++i)
        add(QStringLiteral("#%1").arg(i), widths.selector);
    add(QStringLiteral("Repeat"), widths.repeat);
    add(alarmOutputCaption, widths.alarm);
    layout->addStretch(1);
    return header;
}

void InputRowEditors::setSelectorItems(const QStringList &items)
{
    for (RowWidgets &row : rows_) {
        for (QComboBox *selector : row.clipSelectors) {
            const QSignalBlocker quiet(selector);
            selector->clear();
            selector->addItems(items);
        }
    }
}

void InputRowEditors::showRows(const InputRows &rows)
{
    for (int k = 0; k < inputRowCount; ++k) {
        RowWidgets &widgets = rows_[k];
        for (int i = 0; i < clipsPerEntry; ++i) {
            QComboBox *selector = widgets.clipSelectors[i];
            const QSignalBlocker quiet(selector);
            selector->setCurrentIndex(selector->findText(rows[k].clipTexts[i]));
        }
        const QSignalBlocker quietRepeat(widgets.repeatEdit);
        const QSignalBlocker quietAlarm(widgets.alarmCheckBox);
        widgets.repeatEdit->setText(rows[k].repeatText);
        widgets.alarmCheckBox->setChecked(rows[k].alarmOutput);
    }
}

InputRows InputRowEditors::rows() const
{
    InputRows rows;
    for (int k = 0; k < inputRowCount; ++k) {
        for (int i = 0; i < clipsPerEntry; ++i)
            rows[k].clipTexts[i] = rows_[k].clipSelectors[i]->currentText();
        rows[k].repeatText = rows_[k].repeatEdit->text();
        rows[k].alarmOutput = rows_[k].alarmCheckBox->isChecked();
    }
    return rows;
}

void InputRowEditors::applyLayout(const InputLayout &layout)
{
    for (int row = 0; row < inputRowCount; ++row) {
        rows_[row].panel->setVisible(layout.rowVisible[row]);
        if (row < firstGroupRowCount)
            rows_[row].caption->setText(layout.rowCaptions[row]);
    }
}

void InputRowEditors::setCaption(int row, const QString &caption)
{
    rows_[row].caption->setText(caption);
}

QList<QWidget *> InputRowEditors::focusChain() const
{
    QList<QWidget *> chain;
    for (const RowWidgets &row : rows_) {
        for (QComboBox *selector : row.clipSelectors)
            chain << selector;
        chain << row.repeatEdit << row.alarmCheckBox;
    }
    return chain;
}

void InputRowEditors::edited() const
{
    if (onEdited)
        onEdited();
}
