#ifndef LARKSPUR_SITE_CONNECTIONREGISTRY_H
#define LARKSPUR_SITE_CONNECTIONREGISTRY_H

#include <map>
#include <memory>
#include <mutex>

namespace site {

class Connection;

// The open connections, so that a reset can release held requests and a
// shutdown can close everything.
class ConnectionRegistry {
public:
    void Add(const std::shared_ptr<Connection>& connection);
    void Remove(const Connection* connection);
    void ReleaseAll();
    void StopAll();
    std::size_t Count() const;

private:
    mutable std::mutex mutex;
    std::map<const Connection*, std::weak_ptr<Connection>> connections;
};

}  // namespace site

#endif
