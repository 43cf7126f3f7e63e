#pragma once
// The test tile server (tile_server.py) run as a real process on 127.0.0.1
// for the lifetime of the object.

#include <string>
#include <vector>

class TileServer {
public:
    // Serves the files under root; extra are further tile_server.py options
    // such as {"--fault", "404", "--match", "/13/"}.
    TileServer(const std::string& root, const std::vector<std::string>& extra = {});
    ~TileServer();
    TileServer(const TileServer&) = delete;
    TileServer& operator=(const TileServer&) = delete;

    // "http://127.0.0.1:PORT"
    const std::string& url() const { return url_; }

    // When each request served so far arrived, in seconds since the epoch,
    // in order of arrival (the stats endpoint aside).
    std::vector<double> requestTimes() const;
    int requests() const { return static_cast<int>(requestTimes().size()); }

    // Polls the server's log until count requests have arrived; false when
    // they have not within seconds.
    bool waitForRequests(int count, double seconds) const;

private:
    int pid_ = -1;
    std::string url_;
    std::string log_;
};
