#pragma once

#include <QJsonObject>
#include <QString>

// The order a book shows, written with server ids: its live volumes in order,
// each with its live chapters in order, then its outlines in order, as in
// "7001[9001 9002] 20003[20004] / 11001 20008". Two sides agree on the order
// when the texts are equal, whatever numbers each side stores.
QString storedOrder(int bookId);
// The volumes and chapters as this machine's chapter tree shows them (the
// part before " / ").
QString treeOrder();
QString platformOrder(const QJsonObject& store, int bookId);

// A change made on the platform by a machine the stand-in has not seen (so
// no other machine is told of it); the reply's content, empty on failure.
QJsonObject platformCall(const QString& path, const QJsonObject& body);

// Waits until neither the client nor the platform has anything going on.
bool waitUntilIdle(int timeoutMs = 30000);
