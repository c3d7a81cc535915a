#pragma once

#include "faxproto/inbox_messages.h"

#include <QString>

#include <functional>
#include <vector>

// What the inbox view asks of the fax service. The view's tests give it a
// client of their own.
class TInboxClient {
public:
    virtual ~TInboxClient() = default;

    // The received faxes, newest first.
    virtual bool ListInbox(std::vector<TInboxFax>& faxes, QString& error) = 0;
    virtual bool MarkFax(const QString& id, bool read, QString& error) = 0;
    // Moves the fax to the service's trash.
    virtual bool DeleteFax(const QString& id, QString& error) = 0;
    // A new job of the fax's pages to number; its id in job.
    virtual bool ForwardFax(const QString& id, const QString& number, QString& job, QString& error) = 0;
    // Where the fax's pages are.
    virtual QString FaxPath(const QString& id) const = 0;

    // Called (on the GUI thread) when a fax arrives; set by the view.
    std::function<void(const TInboxFax& fax)> FaxArrived;
};
