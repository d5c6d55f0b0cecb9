#include "app/jigruntext.h"

#include "i18n/texttable.h"

namespace {

int noteId(JigRun::Note note)
{
    switch (note) {
    case JigRun::Note::None:
        break;
    case JigRun::Note::NoStation:
        return TextTable::JigNoStation;
    case JigRun::Note::NoOperator:
        return TextTable::JigNoOperator;
    case JigRun::Note::StoreInvalid:
        return TextTable::JigStoreInvalid;
    case JigRun::Note::MapDamaged:
        return TextTable::JigMapDamaged;
    case JigRun::Note::Busy:
        return TextTable::JigBusy;
    case JigRun::Note::NoLink:
        return TextTable::ConnectDeviceError;
    case JigRun::Note::Stored:
        return TextTable::JigStoredNote;
    case JigRun::Note::Pending:
        return TextTable::JigPendingNote;
    case JigRun::Note::NotKept:
        return TextTable::JigNotKeptNote;
    case JigRun::Note::NoUnit:
        return TextTable::JigNoUnitNote;
    case JigRun::Note::Exported:
        return TextTable::JigExported;
    case JigRun::Note::ExportFailed:
        return TextTable::JigExportFailed;
    case JigRun::Note::Delivered:
        return TextTable::JigDelivered;
    case JigRun::Note::DeliveryFailed:
        return TextTable::JigDeliveryFailed;
    }
    return -1;
}

int phraseId(JigPhrase::Kind kind)
{
    switch (kind) {
    case JigPhrase::Kind::Text:
    case JigPhrase::Kind::Inputs:
    case JigPhrase::Kind::ReplyVerdict:
        break;
    case JigPhrase::Kind::StepIdentify:
        return TextTable::JigStepIdentify;
    case JigPhrase::Kind::StepSetClock:
        return TextTable::JigStepSetClock;
    case JigPhrase::Kind::StepClockKept:
        return TextTable::JigStepClockKept;
    case JigPhrase::Kind::StepOutputAlone:
        return TextTable::JigStepOutputAlone;
    case JigPhrase::Kind::StepAllOff:
        return TextTable::JigStepAllOff;
    case JigPhrase::Kind::StepEnd:
        return TextTable::JigStepEnd;
    case JigPhrase::Kind::AnsweringId:
        return TextTable::JigAnsweringId;
    case JigPhrase::Kind::Answered:
        return TextTable::JigAnswered;
    case JigPhrase::Kind::AnsweredAt:
        return TextTable::JigAnsweredAt;
    case JigPhrase::Kind::WithinSeconds:
        return TextTable::JigWithinSeconds;
    case JigPhrase::Kind::NoInputs:
        return TextTable::JigNoInputs;
    case JigPhrase::Kind::UnitIdentity:
        return TextTable::JigUnitIdentity;
    case JigPhrase::Kind::NotIdentified:
        return TextTable::JigNotIdentified;
    case JigPhrase::Kind::NoValidClock:
        return TextTable::JigNoValidClock;
    case JigPhrase::Kind::ClockOffset:
        return TextTable::JigClockOffset;
    case JigPhrase::Kind::ReplyLength:
        return TextTable::JigReplyLength;
    }
    return -1;
}

// Each argument once, in one pass: a value holding "%1" stays as it is.
QString withArgs(const QString &text, const QStringList &args)
{
    switch (args.size()) {
    case 0:
        return text;
    case 1:
        return text.arg(args[0]);
    case 2:
        return text.arg(args[0], args[1]);
    default:
        return text.arg(args[0], args[1], args[2]);
    }
}

} // namespace

QString JigRunText::text(int id) const
{
    return TextTable::text(id, m_language);
}

QString JigRunText::phrase(const JigPhrase &phrase, const QString &fallback) const
{
    if (phrase.isEmpty())
        return fallback;
    // The reply's verdict in the words the traffic monitor's verdict column has; English keeps
    // the records' lower-case words.
    if (phrase.kind() == JigPhrase::Kind::ReplyVerdict) {
        const int verdict = phrase.arg(0).toInt();
        const int id = TextTable::VerdictAnswered + verdict;
        const bool known = verdict >= 0 && id <= TextTable::VerdictLinkFailed;
        return m_language == TextTable::English || !known ? phrase.english() : text(id);
    }
    const int id = phraseId(phrase.kind());
    return id < 0 ? phrase.english() : withArgs(text(id), phrase.args());
}

QString JigRunText::verdictWord(JigRun::Verdict verdict) const
{
    switch (verdict) {
    case JigRun::Verdict::Ready:
        return text(TextTable::JigReady);
    case JigRun::Verdict::Testing:
        return text(TextTable::JigTesting);
    case JigRun::Verdict::Pass:
        return text(TextTable::JigPass);
    case JigRun::Verdict::Fail:
        return text(TextTable::JigFail);
    case JigRun::Verdict::NotTested:
        return text(TextTable::JigNotTested);
    case JigRun::Verdict::Error:
        return text(TextTable::JigError);
    }
    return QString();
}

QString JigRunText::verdictDetail(const JigRun &run) const
{
    const std::optional<JigTest::Step> step = run.shownStep();
    switch (run.verdict()) {
    case JigRun::Verdict::Ready:
    case JigRun::Verdict::Testing:
        return QString();
    case JigRun::Verdict::Pass:
        return step ? phrase(step->measuredPhrase, step->measured) : QString();
    case JigRun::Verdict::Fail:
        return step ? failedStep(*step) : QString();
    case JigRun::Verdict::NotTested:
        return message(run.whyNotTested());
    case JigRun::Verdict::Error:
        // The station's own fault: the map it could not read, or the step whose link was lost.
        if (run.whyNotTested().note != JigRun::Note::None)
            return message(run.whyNotTested());
        return step ? failedStep(*step) : QString();
    }
    return QString();
}

QString JigRunText::failedStep(const JigTest::Step &step) const
{
    QString detail = text(TextTable::JigFailedStep)
                         .arg(phrase(step.namePhrase, step.name), phrase(step.measuredPhrase, step.measured),
                              phrase(step.expectedPhrase, step.expected));
    if (!step.why.isEmpty())
        detail += QLatin1Char('\n') + step.why;
    return detail;
}

QString JigRunText::message(const JigRun::Message &message) const
{
    const int id = noteId(message.note);
    if (id < 0)
        return message.why;
    QString said = withArgs(text(id), message.args);
    if (!message.why.isEmpty())
        said += QLatin1Char('\n') + message.why;
    return said;
}

QString JigRunText::headline(const JigRun::Message &message) const
{
    const int id = noteId(message.note);
    if (id < 0)
        return message.why.section(QLatin1Char('\n'), 0, 0);
    QString said = withArgs(text(id), message.args);
    if (!message.why.isEmpty())
        said += QLatin1Char(' ') + text(TextTable::JigDetailsInTip);
    return said;
}

QString JigRunText::waitingElsewhere(const QList<PendingRecords::StoreCount> &counts) const
{
    if (counts.isEmpty())
        return text(TextTable::JigNothingElsewhere);
    QStringList lines;
    for (const PendingRecords::StoreCount &count : counts)
        lines << text(TextTable::JigWaitingFor)
                     .arg(QString::number(count.records), count.store.isEmpty() ? text(TextTable::JigUnnamedStore) : count.store);
    return lines.join(QLatin1Char('\n'));
}

QString JigRunText::mapName(const JigRun &run) const
{
    if (!run.whyNoMap().isEmpty())
        return text(TextTable::JigMapDamaged) + QLatin1Char(' ') + run.whyNoMap();
    return run.mapBuiltIn() ? text(TextTable::JigBuiltInMapName) : run.mapName();
}
