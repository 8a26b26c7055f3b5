#include "ConnectionRegistry.h"

#include <vector>

#include "Connection.h"

namespace site {

void ConnectionRegistry::Add(const std::shared_ptr<Connection>& connection)
{
    std::lock_guard<std::mutex> lock(mutex);
    connections[connection.get()] = connection;
}

void ConnectionRegistry::Remove(const Connection* connection)
{
    std::lock_guard<std::mutex> lock(mutex);
    connections.erase(connection);
}

void ConnectionRegistry::ReleaseAll()
{
    std::vector<std::shared_ptr<Connection>> open;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto& entry : connections) {
            if (auto connection = entry.second.lock()) open.push_back(connection);
        }
    }
    for (auto& connection : open) connection->Release();
}

void ConnectionRegistry::StopAll()
{
    std::vector<std::shared_ptr<Connection>> open;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto& entry : connections) {
            if (auto connection = entry.second.lock()) open.push_back(connection);
        }
    }
    for (auto& connection : open) connection->Stop();
}

std::size_t ConnectionRegistry::Count() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return connections.size();
}

}  // namespace site
