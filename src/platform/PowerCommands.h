#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Shut down, restart and sleep of this machine. The commands go through a
// runner so that tests can take them over; the default runner asks logind
// through systemctl and waits for it.
class PowerCommands
{
public:
    enum Choice { ShutDown = 0, Restart = 1, Sleep = 2 };
    // Runs one program with its arguments; true when it ran and succeeded.
    using Runner = std::function<bool(const QString& program, const QStringList& args)>;

    explicit PowerCommands(Runner runner = Runner());

    // Runs the command of the choice (0, 1 or 2); any other choice runs
    // nothing and gives false.
    bool run(int choice) const;
    // The program and arguments of a choice; false for an unknown choice.
    static bool commandFor(int choice, QString& program, QStringList& args);

private:
    Runner m_runner;
};
