#include "QtCredentialStore.h"

#include <QEventLoop>
#include <QString>

#include <qt6keychain/keychain.h>

namespace {

// Runs a job to its end; a nested event loop keeps the window alive while
// the store answers (it may ask the user to unlock it).
void runJob(QKeychain::Job& job) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    bool done = false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&done, &loop] {
        done = true;
        loop.quit();
    });
    job.start();
    if (!done)
        loop.exec();
}

} // namespace

std::optional<std::string> QtCredentialStore::readSecret(const std::string& service, const std::string& key) {
    QKeychain::ReadPasswordJob job(QString::fromStdString(service));
    job.setKey(QString::fromStdString(key));
    runJob(job);
    if (job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.textData().toStdString();
}

bool QtCredentialStore::writeSecret(const std::string& service, const std::string& key, const std::string& secret) {
    if (secret.empty()) {
        QKeychain::DeletePasswordJob job(QString::fromStdString(service));
        job.setKey(QString::fromStdString(key));
        runJob(job);
        return job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
    }
    QKeychain::WritePasswordJob job(QString::fromStdString(service));
    job.setKey(QString::fromStdString(key));
    job.setTextData(QString::fromStdString(secret));
    runJob(job);
    return job.error() == QKeychain::NoError;
}
