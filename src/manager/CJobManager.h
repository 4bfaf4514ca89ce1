#pragma once

#include <QObject>

// The job manager: brings up the local store at start-up, replays stored jobs
// and routes the platform's replies to their owners.
class CJobManager : public QObject
{
    Q_OBJECT
public:
    static CJobManager* instance();

    // Start-up: false only when the local store cannot be brought up.
    bool init();
    // Writes the signed-in user's settings and record back at exit.
    bool saveUserData();
    // Hands the user's oldest stored job to its owner, or pulls the change
    // feed when none is left.
    void execUserJob();

private:
    explicit CJobManager(QObject* parent = nullptr);
};
