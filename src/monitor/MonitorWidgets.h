#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QToolButton;
class QWidget;

// Small pieces the monitor window's layout and displays share.
namespace MonitorWidgets {

inline const QString RssiCaption = QStringLiteral("RSSI:");
inline const QString RelayOffCaption = QStringLiteral("Relay Off");

void setTextColor(QLabel *label, const QColor &color);
QFont boldFont(const QFont &base, int pointSizeIncrease);
QLabel *namedLabel(const QString &name, const QString &caption, QWidget *parent);
QToolButton *namedButton(const QString &name, const QString &caption, QWidget *parent);
QFrame *namedPanel(const QString &name, QWidget *parent);

} // namespace MonitorWidgets
