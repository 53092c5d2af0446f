#pragma once

#include "AlarmTable.h"
#include "InputRowLayout.h"

#include <QStringList>

#include <QList>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// The controls of the 32 input rows. Every row and the header over them share one set of
// column widths, whichever rows a mode and model show.
class InputRowEditors {
public:
    // Row k's panel with its controls, named as the window layout names them.
    QWidget *createRow(int row, QWidget *parent);
    // "#1" to "#4", "Repeat" and "Alarm Output" over the rows' columns; `indent` lines it
    // up with rows that sit inside a frame.
    QWidget *createHeader(QWidget *parent, int indent = 0) const;

    // Called for every change of a row's controls but those made by the two below.
    std::function<void()> onEdited;
    void setSelectorItems(const QStringList &items);
    void showRows(const InputRows &rows);
    InputRows rows() const;
    // Shows the rows of a mode and model; the first group's captions follow the mode.
    void applyLayout(const InputLayout &layout);
    void setCaption(int row, const QString &caption);
    // Every row's controls, row by row, in the order they stand.
    QList<QWidget *> focusChain() const;

private:
    struct Columns {
        int caption = 0;
        int selector = 0;
        int repeat = 0;
        int alarm = 0;
    };
    struct RowWidgets {
        QWidget *panel = nullptr;
        QLabel *caption = nullptr;
        std::array<QComboBox *, clipsPerEntry> clipSelectors{};
        QLineEdit *repeatEdit = nullptr;
        QCheckBox *alarmCheckBox = nullptr;
    };

    // Measured once, from the font of the first row's parent.
    const Columns &columns(const QWidget *reference) const;
    void edited() const;

    mutable std::optional<Columns> columns_;
    std::array<RowWidgets, inputRowCount> rows_;
};
