#pragma once

#include "cli/clireport.h"
#include "cli/clirequest.h"
#include "controller/controllersession.h"
#include "link/adapteridentity.h"
#include "profile/profile.h"
#include "profile/parameterprocedures.h"
#include "records/jigstation.h"
#include "records/recordqueries.h"
#include "records/recordstoresettings.h"
#include "site/site.h"

#include <QTextStream>

// Runs one request of zu42cli on the controller core: what its command can refuse without the
// link first, then the command on the open link, all told through one CliReport.
class CliRunner
{
public:
    enum Status { Done = 0, ControllerFailed = 1, BadInput = 2, NoLink = 3 };

    CliRunner(const CliRequest &request, QTextStream &out, QTextStream &err);
    int run();

    // What the program calls itself in the profiles it saves.
    static QString madeBy();

private:
    // The steps of the commands, which CliCommands names in its table.
    friend class CliCommands;

    int refuseUnwritableFile();
    int refuseBadProfile();
    int refuseUnsendableText();
    int refuseJigSetup();
    int refuseSite();

    int identify();
    int get();
    int set();
    int save();
    int apply();
    int diff();
    int scan();
    int send();
    int reboot();
    int initial();
    int jig();
    int site();

    // The site's actions, each saving the site with its units' results.
    int siteScan();
    int siteAddress();
    int siteReplace();
    int siteReport();
    int siteRun();
    int saved(int status);
    bool needsLink() const;
    int records();
    int recordsPending(const RecordStoreSettings &settings);
    int recordsHistory(RecordQueries &queries);
    int recordsExport(RecordQueries &queries, const RecordFilter &filter);
    int recordsYield(RecordQueries &queries, const RecordFilter &filter);
    int recordsPareto(RecordQueries &queries, const RecordFilter &filter);
    int recordsCertificate(RecordQueries &queries);

    // identify() first for every command that works on the controller's values.
    bool identified();
    // After a step that lost the serial adapter, with --resume: waits for it and opens the link
    // again where it comes back. True when the command goes on.
    bool recovered();
    int applyResult(const ParameterProcedures::ApplyResult &result);
    int acknowledged(const Outcome &outcome);
    int fail(int status, const QString &why) { return m_report.fail(status, why); }
    void say(const QString &line) { m_report.say(line); }

    CliRequest m_request;
    CliReport m_report;
    ControllerSession m_session;
    Profile m_profile;
    QByteArray m_sendBytes;
    JigStation::Setup m_jigSetup;
    RecordStoreSettings m_store;
    AdapterIdentity m_adapter; // the serial adapter at the start, for --resume
    Site m_site;
};
