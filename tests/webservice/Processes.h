#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// What /proc tells about other processes.
namespace processes {

// Processes whose parent is PID, zombies included.
QList<qint64> childrenOf(qint64 pid);

// Parent and session of PID; -1 when it is gone.
qint64 parentOf(qint64 pid);
qint64 sessionOf(qint64 pid);

// Exists and is not a zombie.
bool isRunning(qint64 pid);

QStringList commandLineOf(qint64 pid);

// The environment PID was started with.
QMap<QByteArray, QByteArray> environmentOf(qint64 pid);

// Splits the NUL-terminated NAME=VALUE records of an environment block.
QMap<QByteArray, QByteArray> parseEnvironment(const QByteArray &block);

// Running processes whose command line holds exactly this argument.
QList<qint64> withArgument(const QString &argument);

} // namespace processes
