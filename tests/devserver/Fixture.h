#pragma once
#include <gtest/gtest.h>

#include "DevServer.h"
#include "Protocol.h"

namespace devtest {

// A fresh service with one signed-in account.
class ServiceTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(client.SignIn().Code(), 200); }

  // The account's sync root, made as the wizard makes it.
  int64_t Root() {
    if (!m_root) m_root = client.MakeDir(-1, "Dorv");
    return m_root;
  }

  dorvtest::DevServer server;
  Client client{server};

 private:
  int64_t m_root = 0;
};

// The number after "|" of a version text.
inline int64_t VersionNumber(const Json::Value& record) {
  std::string v = record["version"]["value"].asString();
  return std::stoll(v.substr(v.find('|') + 1));
}

}  // namespace devtest
