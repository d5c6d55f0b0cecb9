#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>

class QWidget;

// How the Tools menu's windows look: their font in each language and the colours that carry a
// meaning. The main window keeps the font of its language row (the layout of its form was drawn
// for it); the tool windows lay themselves out, so they take a face that reads well instead.
//
//   ToolLook::apply(window, languageIndex);               on every change of language
//   ToolLook::setTextColour(label, ToolLook::ErrorText);  a text that says something went wrong
//   ToolLook::resetTextColour(label);                     back to the window's colour
class ToolLook
{
public:
    enum Colour {
        ErrorText,        // a message that says something failed
        ProblemRow,       // a monitor row whose exchange got no good answer
        LinkEventRow,     // a monitor row for the link opened or closed
        GoodNote,         // a note that the work is done
        WarningNote,      // a note that the work waits
        BadNote,          // a note that the work is lost
        VerdictReady,     // grounds of the jig verdict panel
        VerdictTesting,
        VerdictPass,
        VerdictFail,
        VerdictNotTested,
        VerdictError,     // the station could not test: apart from a failed unit
        VerdictInk,       // the verdict's words on the strong grounds (pass, fail, not tested, error)
        VerdictInkOnPale, // and on the pale ones (ready, testing)
        FailedStepRow,    // ground of a jig step that failed
        StepNotRun,       // a jig step the run did not reach
        ColourCount
    };

    static QColor colour(Colour colour);

    // The faces in the order they are asked for: a Latin sans-serif face first, so that names,
    // numbers and bytes do not come out in the serif Latin of a Chinese face; after it the
    // language's Chinese face and what stands in for it where it is not installed, which then
    // draws every character the Latin face lacks.
    static QStringList families(int languageIndex);
    // Those faces in the size and style of the language's row.
    static QFont font(int languageIndex);
    // The fixed-width face in the size of font(), for bytes that must line up.
    static QFont fixedFont(int languageIndex);

    // The language's font and text colour onto a window and the controls that do not set their own.
    static void apply(QWidget *window, int languageIndex);

    static void setTextColour(QWidget *widget, Colour colour);
    static void resetTextColour(QWidget *widget);

    // The Latin faces of families(), the platform's first.
    static const QStringList &latinFamilies();
};
