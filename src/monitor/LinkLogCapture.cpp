#include "LinkLogCapture.h"

#include "LinkLog.h"

#include <QDateTime>
#include <cstring>

namespace {

LinkLogCapture *capture = nullptr;
QLoggingCategory::CategoryFilter previousFilter = nullptr;
QtMessageHandler previousHandler = nullptr;
// Taken before the filter is installed: the category must not register from inside it.
const char *linkCategoryName = nullptr;

bool isLinkCategory(const char *name)
{
    return name && linkCategoryName && std::strcmp(name, linkCategoryName) == 0;
}

QString levelTag(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("debug");
    case QtInfoMsg:
        return QStringLiteral("info ");
    case QtWarningMsg:
        return QStringLiteral("warn ");
    case QtCriticalMsg:
    case QtFatalMsg:
        break;
    }
    return QStringLiteral("error");
}

} // namespace

LinkLogCapture &LinkLogCapture::instance()
{
    // Never destroyed: the handler must outlive whatever logs while the program ends.
    static LinkLogCapture *const installed = [] {
        capture = new LinkLogCapture;
        linkCategoryName = zorLink().categoryName();
        previousHandler = qInstallMessageHandler(&LinkLogCapture::handleMessage);
        previousFilter = QLoggingCategory::installFilter(&LinkLogCapture::filterCategory);
        return capture;
    }();
    return *installed;
}

LinkLogCapture::LinkLogCapture() = default;

QStringList LinkLogCapture::lines() const
{
    const QMutexLocker lock(&mutex_);
    return QStringList(lines_.cbegin(), lines_.cend());
}

void LinkLogCapture::filterCategory(QLoggingCategory *category)
{
    if (previousFilter)
        previousFilter(category);
    if (!capture || !isLinkCategory(category->categoryName()))
        return;
    // Note what the rules let through, then let every level reach the capture.
    for (QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg}) {
        capture->passedOn_[type] = category->isEnabled(type);
        category->setEnabled(type, true);
    }
    capture->passedOn_[QtFatalMsg] = true;
}

void LinkLogCapture::handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (capture && isLinkCategory(context.category)) {
        capture->keep(type, message);
        if (!capture->passedOn_[type])
            return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

void LinkLogCapture::keep(QtMsgType type, const QString &message)
{
    // Dated: a saved log is read days later, and a long run passes midnight.
    QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + levelTag(type) + u' ' + message;
    if (line.size() > LineLimit) {
        line.truncate(LineLimit - 1);
        line += u'…';
    }
    {
        const QMutexLocker lock(&mutex_);
        lines_.push_back(line);
        if (lines_.size() > Capacity)
            lines_.pop_front();
    }
    emit lineAdded(line);
}
