#include "ScriptedDialogs.h"

#include <QTest>

namespace {

QString describeBox(const QString &text, const QString &caption, int flags)
{
    return QString("messageBox(\"%1\", \"%2\", %3)").arg(text, caption, QString::number(flags));
}

QString describeOpenFile(const QString &defaultExtension, const QString &filter)
{
    return QString("openFile(\"%1\", \"%2\")").arg(defaultExtension, filter);
}

QString describeChooseFolder(const QString &caption, const QString &start)
{
    return QString("chooseFolder(\"%1\", \"%2\")").arg(caption, start);
}

void failTest(const QString &message)
{
    QTest::qFail(message.toUtf8().constData(), __FILE__, __LINE__);
}

} // namespace

ScriptedDialogs::~ScriptedDialogs()
{
    if (!expected_.isEmpty())
        failTest("Expected dialogs never shown: " + pending().join("; "));
}

void ScriptedDialogs::expectMessageBox(const QString &text, const QString &caption, int flags, int answer)
{
    expected_.append({Kind::MessageBox, describeBox(text, caption, flags), answer, {}});
}

void ScriptedDialogs::expectOpenFile(const QString &answer)
{
    expected_.append({Kind::OpenFile, "openFile", Ok, answer});
}

void ScriptedDialogs::expectChooseFolder(const QString &answer)
{
    expected_.append({Kind::ChooseFolder, "chooseFolder", Ok, answer});
}

QStringList ScriptedDialogs::pending() const
{
    QStringList descriptions;
    for (const Expected &e : expected_)
        descriptions.append(e.description);
    return descriptions;
}

bool ScriptedDialogs::takeExpected(Kind kind, const QString &description, Expected &taken)
{
    calls.append(description);
    if (expected_.isEmpty()) {
        failTest("Unexpected dialog: " + description);
        return false;
    }
    taken = expected_.takeFirst();
    // File choosers are matched by kind only: their arguments are the caller's business.
    const bool matches = taken.kind == kind
        && (kind != Kind::MessageBox || taken.description == description);
    if (!matches)
        failTest("Dialog shown: " + description + "\n   expected: " + taken.description);
    return matches;
}

int ScriptedDialogs::messageBox(const QString &text, const QString &caption, int flags)
{
    shownBoxes.append({text, caption, flags});
    Expected taken;
    if (takeExpected(Kind::MessageBox, describeBox(text, caption, flags), taken))
        return taken.answer;
    if (flags == YesNoCancelWarning)
        return Cancel;
    return asks(flags) ? No : Ok;
}

QString ScriptedDialogs::openFile(const QString &defaultExtension, const QString &filter)
{
    Expected taken;
    if (takeExpected(Kind::OpenFile, describeOpenFile(defaultExtension, filter), taken))
        return taken.path;
    return {};
}

QString ScriptedDialogs::chooseFolder(const QString &caption, const QString &start)
{
    Expected taken;
    if (takeExpected(Kind::ChooseFolder, describeChooseFolder(caption, start), taken))
        return taken.path;
    return {};
}
