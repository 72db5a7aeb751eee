#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "omrautils.h"
#include "portico.h"

TEST(ConnectPassword, NullGivesNullAndEmptyIsScrambled) {
  EXPECT_EQ(EncrptConnectPwd(nullptr), nullptr);
  EXPECT_EQ(DecrptConnectPwd(nullptr), nullptr);
  std::string form = EncrptConnectPwd("");
  ASSERT_EQ(form.size(), 50u);
  EXPECT_EQ(static_cast<signed char>(form[1]) - static_cast<signed char>(form[0]), 1);
  EXPECT_STREQ(DecrptConnectPwd(form.c_str()), "");
}

TEST(ConnectPassword, ReadsAndIsReadByCEncrypt) {
  CString by_class;
  CEncrypt::Encrypt("from the class", &by_class);
  EXPECT_STREQ(DecrptConnectPwd(by_class), "from the class");
  std::string by_portico = EncrptConnectPwd("from portico");
  CString read;
  CEncrypt::Decrypt(by_portico.c_str(), &read);
  EXPECT_STREQ(read, "from portico");
  // A whole 24-character password, and the cut after it.
  EXPECT_STREQ(DecrptConnectPwd(EncrptConnectPwd("123456789012345678901234")), "123456789012345678901234");
  EXPECT_STREQ(DecrptConnectPwd(EncrptConnectPwd("123456789012345678901234567")), "123456789012345678901234");
  std::string very_long(300, 'z');
  EXPECT_EQ(std::strlen(EncrptConnectPwd(very_long.c_str())), 50u);
}

TEST(ConnectPassword, ResultsShareOneBufferPerDirection) {
  std::string a = EncrptConnectPwd("first"), b = EncrptConnectPwd("second");
  const char *one = DecrptConnectPwd(a.c_str());
  const char *two = DecrptConnectPwd(b.c_str());
  EXPECT_EQ(one, two);
  EXPECT_STREQ(one, "second");
  // Separate from OmraUtils' own buffers.
  EXPECT_NE(static_cast<const void *>(EncrptConnectPwd("x")), static_cast<const void *>(ODBC_Encrypt("x")));
}
