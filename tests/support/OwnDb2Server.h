#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/Db2Server.h"
#include "support/TempDir.h"

// A DB2 test server of one test's own, for a test that stops or kills it: the shared
// server stays up for every other test. Same database, user and password as the shared
// one, on a port of its own. Commits are written out before they are acknowledged, so
// a killed server keeps every commit its clients saw succeed.
class OwnDb2Server {
 public:
  OwnDb2Server() {
    // The server's own account must be able to reach its folder.
    std::filesystem::permissions(Dir.Path(),
                                 std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    Folder = Dir.Path() + "/server";
    Coordinates = Db2Server::Get();
    Coordinates.Port = std::to_string(FreePort());
    Started = Script("start", Coordinates.Port) == 0;
  }
  ~OwnDb2Server() { Script("stop", ""); }
  OwnDb2Server(const OwnDb2Server&) = delete;
  OwnDb2Server& operator=(const OwnDb2Server&) = delete;

  bool Running() const { return Started; }
  const Db2Server& Server() const { return Coordinates; }
  // Every process of the server killed at once, as a crash would.
  bool Kill() { return Script("kill", "") == 0; }
  // A shutdown by its operator: sessions are ended, their transactions rolled back.
  bool Stop() { return Script("stop", "") == 0; }
  // Up again on the data it had.
  bool Resume() { return Script("resume", Coordinates.Port) == 0; }
  // What server.sh said, for a failure message.
  std::string Output() const {
    std::string file = Dir.Path() + "/server.out";
    return std::filesystem::exists(file) ? ReadAll(file) : std::string();
  }

 private:
  int Script(const std::string& verb, const std::string& port) {
    std::string command = "FERROVAN_DB2_DURABLE=1 bash '" FERROVAN_SOURCE_DIR "/tests/db2/server.sh' " + verb + " '" +
                          Folder + "' " + port + " >>'" + Dir.Path() + "/server.out' 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // A port nothing listens on now, as the kernel hands them out.
  static int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port = ntohs(address.sin_port);
    if (fd >= 0) close(fd);
    return port;
  }

  static std::string ReadAll(const std::string& file) {
    std::string text;
    if (FILE* f = std::fopen(file.c_str(), "rb")) {
      char buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
      std::fclose(f);
    }
    return text;
  }

  TempDir Dir;
  std::string Folder;
  Db2Server Coordinates;
  bool Started = false;
};
