#pragma once
#include <QObject>
#include <QPointer>

#include <map>

#include "download/Http.h"

class QNetworkAccessManager;
class QNetworkReply;

// The HTTP client of the window program, on QNetworkAccessManager: requests
// run while the window goes on handling its events; wait() runs a local event
// loop until the answer is in or the slice is over. Cookies are kept for the
// run (the manager's cookie jar), redirects are followed up to the request's
// limit as long as they do not go from https to http. Every request ends by
// its deadline, an answer larger than the request's limit is refused, and a
// reply that broke off (shorter than announced, reset) is a failure.
class QtHttp : public QObject, public rz::IHttp {
    Q_OBJECT
public:
    explicit QtHttp(QObject* parent = nullptr);
    ~QtHttp() override;

    Id start(const rz::HttpRequest& request) override;
    bool finished(Id id) override;
    void wait(Id id, int maxMs) override;
    void abort(Id id) override;
    rz::HttpResponse take(Id id) override;
    void closeConnections() override;

    QNetworkAccessManager* manager() const { return manager_; }

signals:
    void requestFinished(quint64 id);

private:
    struct Pending {
        QPointer<QNetworkReply> reply;
        bool done = false;
        bool userAbort = false;
        bool pastDeadline = false;
        bool tooLarge = false;
        std::int64_t maxAnswerBytes = 0;
        int deadlineMs = 0;
        int redirects = 0;
        int maxRedirects = 15;
        rz::HttpResponse response;
    };
    void complete(Id id);
    void refuse(Id id, bool tooLarge);

    QNetworkAccessManager* manager_ = nullptr;
    std::map<Id, Pending> pending_;
    Id next_ = 1;
};
