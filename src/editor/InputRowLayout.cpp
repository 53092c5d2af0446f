#include "InputRowLayout.h"

const std::array<InputRowControls, inputRowCount> inputRowControls{{
    {0, 0, "Panel2", nullptr, {"ComboBox9", "ComboBox6", "ComboBox7", "ComboBox8"}, "Edit2", "CheckBox2"},
    {1, 1, "Panel4", nullptr, {"ComboBox13", "ComboBox10", "ComboBox11", "ComboBox12"}, "Edit3", "CheckBox3"},
    {2, 2, "Panel7", nullptr, {"ComboBox25", "ComboBox22", "ComboBox23", "ComboBox24"}, "Edit6", "CheckBox6"},
    {3, 3, "Panel6", nullptr, {"ComboBox21", "ComboBox18", "ComboBox19", "ComboBox20"}, "Edit5", "CheckBox5"},
    {4, 4, "Panel5", nullptr, {"ComboBox17", "ComboBox14", "ComboBox15", "ComboBox16"}, "Edit4", "CheckBox4"},
    {5, 5, "Panel13", nullptr, {"ComboBox49", "ComboBox46", "ComboBox47", "ComboBox48"}, "Edit12", "CheckBox12"},
    {6, 6, "Panel12", nullptr, {"ComboBox45", "ComboBox42", "ComboBox43", "ComboBox44"}, "Edit11", "CheckBox11"},
    {7, 7, "Panel11", nullptr, {"ComboBox41", "ComboBox38", "ComboBox39", "ComboBox40"}, "Edit10", "CheckBox10"},
    {8, 8, "Panel10", nullptr, {"ComboBox37", "ComboBox34", "ComboBox35", "ComboBox36"}, "Edit9", "CheckBox9"},
    {9, 9, "Panel9", nullptr, {"ComboBox33", "ComboBox30", "ComboBox31", "ComboBox32"}, "Edit8", "CheckBox8"},
    {10, 10, "Panel8", nullptr, {"ComboBox29", "ComboBox26", "ComboBox27", "ComboBox28"}, "Edit7", "CheckBox7"},
    {11, 11, "Panel19", nullptr, {"ComboBox73", "ComboBox70", "ComboBox71", "ComboBox72"}, "Edit18", "CheckBox18"},
    {12, 12, "Panel18", nullptr, {"ComboBox69", "ComboBox66", "ComboBox67", "ComboBox68"}, "Edit17", "CheckBox17"},
    {13, 13, "Panel17", nullptr, {"ComboBox65", "ComboBox62", "ComboBox63", "ComboBox64"}, "Edit16", "CheckBox16"},
    {14, 14, "Panel16", nullptr, {"ComboBox61", "ComboBox58", "ComboBox59", "ComboBox60"}, "Edit15", "CheckBox15"},
    {15, 15, "Panel15", nullptr, {"ComboBox57", "ComboBox54", "ComboBox55", "ComboBox56"}, "Edit14", "CheckBox14"},
    {16, 16, "Panel14", nullptr, {"ComboBox53", "ComboBox50", "ComboBox51", "ComboBox52"}, "Edit13", "CheckBox13"},
    {17, 17, "Panel25", nullptr, {"ComboBox97", "ComboBox94", "ComboBox95", "ComboBox96"}, "Edit24", "CheckBox24"},
    {18, 18, "Panel33", nullptr, {"ComboBox129", "ComboBox126", "ComboBox127", "ComboBox128"}, "Edit32", "CheckBox32"},
    {19, 19, "Panel34", nullptr, {"ComboBox133", "ComboBox130", "ComboBox131", "ComboBox132"}, "Edit33", "CheckBox33"},
    {20, 20, "Panel35", nullptr, {"ComboBox137", "ComboBox134", "ComboBox135", "ComboBox136"}, "Edit34", "CheckBox34"},
    {21, 21, "Panel36", nullptr, {"ComboBox141", "ComboBox138", "ComboBox139", "ComboBox140"}, "Edit35", "CheckBox35"},
    {22, 22, "Panel37", nullptr, {"ComboBox145", "ComboBox142", "ComboBox143", "ComboBox144"}, "Edit36", "CheckBox36"},
    {23, 23, "Panel26", nullptr, {"ComboBox101", "ComboBox98", "ComboBox99", "ComboBox100"}, "Edit25", "CheckBox25"},
    {24, 24, "Panel27", nullptr, {"ComboBox105", "ComboBox102", "ComboBox103", "ComboBox104"}, "Edit26", "CheckBox26"},
    {25, 25, "Panel28", nullptr, {"ComboBox109", "ComboBox106", "ComboBox107", "ComboBox108"}, "Edit27", "CheckBox27"},
    {26, 26, "Panel29", nullptr, {"ComboBox113", "ComboBox110", "ComboBox111", "ComboBox112"}, "Edit28", "CheckBox28"},
    {27, 27, "Panel30", nullptr, {"ComboBox117", "ComboBox114", "ComboBox115", "ComboBox116"}, "Edit29", "CheckBox29"},
    {28, 28, "Panel31", nullptr, {"ComboBox121", "ComboBox118", "ComboBox119", "ComboBox120"}, "Edit30", "CheckBox30"},
    {29, 29, "Panel32", nullptr, {"ComboBox125", "ComboBox122", "ComboBox123", "ComboBox124"}, "Edit31", "CheckBox31"},
    {30, 30, "Panel24", nullptr, {"ComboBox93", "ComboBox90", "ComboBox91", "ComboBox92"}, "Edit23", "CheckBox23"},
    {31, 31, "Panel1", "Panel3", {"ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5"}, "Edit1", "CheckBox1"},
}};

namespace {

// Input code n as "bI7 (00111b)".
QString binaryInputCaption(int code)
{
    return QStringLiteral("bI%1 (%2b)").arg(code).arg(code, 5, 2, QChar(u'0'));
}

QStringList numberedInputs(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(prefix + QString::number(i));
    return names;
}

} // namespace

InputLayout applyInputLayout(int mode, int modelCode)
{
    const bool sixInputs = modelCode == sixInputModelCode;
    const bool binaryCodes = mode >= 4;
    InputLayout layout;
    layout.binaryGroupVisible = binaryCodes;

    // The binary group's captions are fixed; the first group's follow the mode.
    for (int row = 0; row < inputRowCount - 1; ++row)
        layout.rowCaptions[row] = binaryInputCaption(row + 1);
    layout.rowCaptions[inputRowCount - 1] = QStringLiteral("DI6");

    if (!binaryCodes) {
        const int inputs = sixInputs ? 6 : 4;
        layout.firstGroupCaption = QStringLiteral("Mode 0-3, Digital Pin Input(DI1~DI%1)").arg(inputs);
        layout.testInputs = numberedInputs(QStringLiteral("DI"), inputs);
        for (int row = 0; row < firstGroupRowCount; ++row)
            layout.rowCaptions[row] = QStringLiteral("DI%1").arg(row + 1);
        for (int row = 0; row < inputs; ++row)
            layout.rowVisible[row] = true;
        return layout;
    }

    layout.firstGroupCaption = QStringLiteral("Mode 4-7, Binary Input(bI1~bI6))");
    const int codes = sixInputs ? 31 : 15;
    layout.testInputs = numberedInputs(QStringLiteral("bI"), codes);
    for (int row = 0; row < codes; ++row)
        layout.rowVisible[row] = true;
    if (sixInputs) {
        layout.testInputs.append(QStringLiteral("DI6"));
        layout.rowVisible[inputRowCount - 1] = true;
    }
    return layout;
}
