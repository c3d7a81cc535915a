#pragma once

#include "socket_server.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <unistd.h>

// A server on its own thread in a private folder, stopped and joined when the
// object goes. Closed holds the last connection that went (0: none yet).
struct TServing {
    TTempDir Dir;
    std::string Path = Dir / "run/socket";
    TSocketServer Server;
    int Stop[2] = {-1, -1};
    std::thread Thread;
    std::atomic<TConnectionId> Closed{0};

    void Start(const TSocketServer::TLineHandler& onLine)
    {
        std::string error;
        ASSERT_EQ(Server.Listen(Path, error), TSocketServer::lrListening) << error;
        ASSERT_EQ(pipe(Stop), 0);
        Thread = std::thread([this, onLine] { Server.Run(onLine, Stop[0], [this](TConnectionId gone) { Closed = gone; }); });
    }
    ~TServing()
    {
        if (Thread.joinable()) {
            EXPECT_EQ(write(Stop[1], "x", 1), 1);
            Thread.join();
        }
        for (int fd : Stop)
            if (fd >= 0)
                close(fd);
    }
};
