#pragma once

#include <QString>

// The three languages of the tool: the index is the text table's column and the position of
// the language in its menu; the flag is the word the settings key stores.
class Language
{
public:
    static constexpr int English = 0;
    static constexpr int SimplifiedChinese = 1;
    static constexpr int TraditionalChinese = 2;
    static constexpr int Count = 3;

    // "English", "ChineseGB", "ChineseBIG5"; the English flag for any other index.
    static QString flagOf(int index);
    // "ChineseGB" gives 1, "ChineseBIG5" 2, exactly as written; any other text 0.
    static int indexOfFlag(const QString &flag);
};
