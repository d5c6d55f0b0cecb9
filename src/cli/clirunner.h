#pragma once

#include "cli/clirequest.h"
#include "controller/controllersession.h"
#include "controller/jigmap.h"
#include "records/recordstoresettings.h"
#include "profile/profile.h"
#include "profile/settingsprocedures.h"

#include <QJsonObject>
#include <QTextStream>

// Runs one request of zu42cli on the controller core and reports it: lines for a person on
// standard output (errors on standard error), or with --json one object on standard output that
// always holds "command", "ok" and "exit", and "error" when it failed.
class CliRunner
{
public:
    enum Status { Done = 0, ControllerFailed = 1, BadInput = 2, NoLink = 3 };

    CliRunner(const CliRequest &request, QTextStream &out, QTextStream &err);
    int run();

    // What the program calls itself in the profiles it saves.
    static QString madeBy();

private:
    int runCommand();
    int identify();
    int get();
    int set();
    int save();
    int apply();
    int diff();
    int scan();
    int send();
    int acknowledged(bool reboot);
    int jig();

    // identify() first for every command that works on the controller's values.
    bool identified();
    int applyResult(const SettingsProcedures::ApplyResult &result);
    int fail(int status, const QString &why);
    void say(const QString &line);

    CliRequest m_request;
    QTextStream &m_out;
    QTextStream &m_err;
    ControllerSession m_session;
    QJsonObject m_json;
    Profile m_profile;
    std::optional<JigMap> m_jigMap;
    RecordStoreSettings m_store;
    QString m_error;
};
