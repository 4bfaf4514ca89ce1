#include "PowerCommands.h"

#include <QDebug>
#include <QProcess>

namespace {
bool runSystemCommand(const QString& program, const QStringList& args)
{
    // systemctl hands the request to logind and returns; the machine goes
    // down after we have come back here.
    return QProcess::execute(program, args) == 0;
}
} // namespace

PowerCommands::PowerCommands(Runner runner) : m_runner(runner ? std::move(runner) : Runner(runSystemCommand)) {}

bool PowerCommands::commandFor(int choice, QString& program, QStringList& args)
{
    program = QStringLiteral("systemctl");
    switch (choice) {
    case ShutDown:
        args = QStringList{QStringLiteral("poweroff")};
        return true;
    case Restart:
        args = QStringList{QStringLiteral("reboot")};
        return true;
    case Sleep:
        args = QStringList{QStringLiteral("suspend")};
        return true;
    default:
        program.clear();
        args.clear();
        return false;
    }
}

bool PowerCommands::run(int choice) const
{
    QString program;
    QStringList args;
    if (!commandFor(choice, program, args))
        return false;
    const bool ok = m_runner(program, args);
    if (!ok)
        qWarning() << "power command failed:" << program << args;
    return ok;
}
