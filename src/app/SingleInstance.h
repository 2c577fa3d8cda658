#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

namespace padsmith {

// One editor per settings store. The first instance holds a lock file and listens on a local
// socket; a later one finds the lock taken, asks the first to come to the front and ends.
class SingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    // `key` names the settings store (its file); instances with other stores do not collide.
    explicit SingleInstanceGuard(const QString& key, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when this is the first instance. Otherwise the running one has been asked to
    // show its window, and the caller should end.
    bool claim();

signals:
    // Another start asked the running instance to show itself.
    void raiseRequested();

private:
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace padsmith
