#include "i18n/language.h"

namespace {
const QString Flags[Language::Count] = { QStringLiteral("English"), QStringLiteral("ChineseGB"),
                                         QStringLiteral("ChineseBIG5") };
} // namespace

QString Language::flagOf(int index)
{
    return index >= 0 && index < Count ? Flags[index] : Flags[English];
}

int Language::indexOfFlag(const QString &flag)
{
    for (int i = 1; i < Count; ++i)
        if (flag == Flags[i])
            return i;
    return English;
}
