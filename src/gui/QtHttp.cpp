#include "QtHttp.h"
#include "common/ProgramTexts.h"

#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>

using rz::HttpFailure;
using rz::HttpResponse;

namespace {

// Whether a finished reply is a whole answer: no error, or only the error
// the manager derives from the answer's status (4xx, 5xx). A transfer that
// broke off after the status (a body shorter than announced, a reset, a
// time-out, a protocol error) is no answer: its body is incomplete.
bool isAnswer(QNetworkReply::NetworkError error) {
    const int e = static_cast<int>(error);
    return error == QNetworkReply::NoError || (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError) ||
           (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError);
}

} // namespace

QtHttp::QtHttp(QObject* parent) : QObject(parent), manager_(new QNetworkAccessManager(this)) {
    manager_->setProxy(QNetworkProxy::NoProxy);
}

QtHttp::~QtHttp() {
    for (auto& [id, p] : pending_)
        if (p.reply) {
            p.reply->disconnect(this);
            p.reply->abort();
            p.reply->deleteLater();
        }
}

rz::IHttp::Id QtHttp::start(const rz::HttpRequest& request) {
    const Id id = next_++;
    Pending& p = pending_[id];

    const QUrl url(QString::fromStdString(request.url), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty()) {
        p.done = true;
        p.response.failure = HttpFailure::Other;
        p.response.failureText = rz::txt(rz::Txt::HttpNotHttpUrl, {request.url});
        return id;
    }

    QNetworkRequest nr(url);
    for (const auto& [k, v] : request.headers)
        nr.setRawHeader(QByteArray::fromStdString(k), QByteArray::fromStdString(v));
    nr.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    nr.setMaximumRedirectsAllowed(request.maxRedirects);
    // No byte for this long, from the connect on, ends the request.
    nr.setTransferTimeout(std::max(request.connectTimeoutMs, request.readTimeoutMs));

    // Setting the proxy drops the kept connections; only a change sets it.
    const QNetworkProxy proxy = request.proxyHost.empty()
                                    ? QNetworkProxy(QNetworkProxy::NoProxy)
                                    : QNetworkProxy(QNetworkProxy::HttpProxy, QString::fromStdString(request.proxyHost),
                                                    static_cast<quint16>(request.proxyPort));
    if (manager_->proxy() != proxy)
        manager_->setProxy(proxy);

    p.maxAnswerBytes = request.maxAnswerBytes;
    p.deadlineMs = request.deadlineMs;
    p.reply = manager_->get(nr);
    connect(p.reply, &QNetworkReply::finished, this, [this, id] { complete(id); });
    // The limits: an announced or received size above the limit, and the
    // deadline of the whole request, however steadily bytes trickle in.
    const std::int64_t maxBytes = request.maxAnswerBytes;
    connect(p.reply, &QNetworkReply::metaDataChanged, this, [this, id, maxBytes] {
        const auto it = pending_.find(id);
        if (it == pending_.end() || !it->second.reply)
            return;
        const QVariant length = it->second.reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes)
            refuse(id, true);
    });
    connect(p.reply, &QNetworkReply::downloadProgress, this, [this, id, maxBytes](qint64 received, qint64) {
        if (received > maxBytes)
            refuse(id, true);
    });
    auto* deadline = new QTimer(p.reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, id] { refuse(id, false); });
    deadline->start(std::max(0, request.deadlineMs));
    p.maxRedirects = request.maxRedirects;
    connect(p.reply, &QNetworkReply::redirected, this, [this, id] {
        const auto it = pending_.find(id);
        if (it != pending_.end())
            ++it->second.redirects;
    });
    return id;
}

void QtHttp::complete(Id id) {
    const auto it = pending_.find(id);
    if (it == pending_.end() || it->second.done)
        return;
    Pending& p = it->second;
    p.done = true;
    QNetworkReply* reply = p.reply;
    if (!reply) {
        p.response.failure = HttpFailure::Other;
        p.response.failureText = rz::txt(rz::Txt::HttpRequestLost);
        emit requestFinished(id);
        return;
    }
    reply->disconnect(this);
    HttpResponse& r = p.response;
    r.finalUrl = reply->url().toString().toStdString();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    const bool redirect = code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
    if (p.tooLarge || p.pastDeadline) {
        r.failure = p.tooLarge ? HttpFailure::TooLarge : HttpFailure::Timeout;
        r.failureText = p.tooLarge ? rz::txt(rz::Txt::HttpAnswerLargerThan, {std::to_string(p.maxAnswerBytes / (1024 * 1024))})
                                   : rz::txt(rz::Txt::HttpNoAnswerWithin, {std::to_string((p.deadlineMs + 999) / 1000)});
    } else if (status.isValid() && redirect && reply->hasRawHeader("Location") && p.redirects >= p.maxRedirects) {
        // At its limit the manager hands out the last redirect as the answer.
        r.failure = HttpFailure::TooManyRedirects;
        r.failureText = rz::txt(rz::Txt::HttpMoreRedirects, {std::to_string(p.maxRedirects)});
    } else if (status.isValid() && isAnswer(reply->error())) {
        // An HTTP answer that arrived whole, whatever its status.
        r.status = code;
        const bool http2 = reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        QString line = http2 ? QStringLiteral("HTTP/2 ") : QStringLiteral("HTTP/1.1 ");
        line += QString::number(r.status);
        if (!reason.isEmpty())
            line += QLatin1Char(' ') + reason;
        r.statusLine = line.toStdString();
        r.body = reply->readAll().toStdString();
        const QDateTime lm = reply->header(QNetworkRequest::LastModifiedHeader).toDateTime();
        if (lm.isValid())
            r.lastModified = lm.toSecsSinceEpoch();
    } else {
        r.failureText = reply->errorString().toStdString();
        switch (reply->error()) {
        case QNetworkReply::OperationCanceledError:
            // The transfer time-out ends a request the same way as abort().
            r.failure = p.userAbort ? HttpFailure::Aborted : HttpFailure::Timeout;
            break;
        case QNetworkReply::ConnectionRefusedError:
        case QNetworkReply::ProxyConnectionRefusedError:
            r.failure = HttpFailure::ConnectionRefused;
            break;
        case QNetworkReply::HostNotFoundError:
        case QNetworkReply::ProxyNotFoundError:
            r.failure = HttpFailure::HostNotFound;
            break;
        case QNetworkReply::TimeoutError:
        case QNetworkReply::ProxyTimeoutError:
            r.failure = HttpFailure::Timeout;
            break;
        case QNetworkReply::TooManyRedirectsError:
            r.failure = HttpFailure::TooManyRedirects;
            break;
        case QNetworkReply::RemoteHostClosedError:
            r.failure = HttpFailure::Broken;
            break;
        default:
            r.failure = HttpFailure::Other;
            break;
        }
    }
    reply->deleteLater();
    p.reply = nullptr;
    emit requestFinished(id);
}

void QtHttp::refuse(Id id, bool tooLarge) {
    const auto it = pending_.find(id);
    if (it == pending_.end() || it->second.done || !it->second.reply)
        return;
    (tooLarge ? it->second.tooLarge : it->second.pastDeadline) = true;
    it->second.reply->abort(); // finishes the reply
    complete(id);
}

bool QtHttp::finished(Id id) {
    const auto it = pending_.find(id);
    return it == pending_.end() || it->second.done;
}

void QtHttp::wait(Id id, int maxMs) {
    if (finished(id))
        return;
    QEventLoop loop;
    connect(this, &QtHttp::requestFinished, &loop, [&loop, id](quint64 done) {
        if (done == id)
            loop.quit();
    });
    QTimer::singleShot(std::max(0, maxMs), &loop, &QEventLoop::quit);
    loop.exec();
}

void QtHttp::abort(Id id) {
    const auto it = pending_.find(id);
    if (it == pending_.end() || it->second.done)
        return;
    it->second.userAbort = true;
    if (it->second.reply)
        it->second.reply->abort(); // finishes the reply at once
    complete(id);                  // in case it did not
}

HttpResponse QtHttp::take(Id id) {
    const auto it = pending_.find(id);
    if (it == pending_.end() || !it->second.done) {
        HttpResponse none;
        none.failure = HttpFailure::Other;
        none.failureText = rz::txt(rz::Txt::HttpNotFinished);
        return none;
    }
    HttpResponse r = std::move(it->second.response);
    pending_.erase(it);
    return r;
}

void QtHttp::closeConnections() { manager_->clearConnectionCache(); }
