#include "http_kit/CreateHttp.h"

#include "http_kit/HttpSocket.h"
#include "http_kit/WinHttp.h"
#include "http_kit/WininetHttp.h"

#include <gtest/gtest.h>

namespace {

TEST(CreateHttpTest, MakesTheClientOfEachTypeAndNothingForOthers) {
    IHttpBase* client = nullptr;
    ASSERT_TRUE(CreateHttp(&client, kHttpClient_Socket));
    EXPECT_NE(dynamic_cast<CHttpSocket*>(client), nullptr);
    client->FreeInstance();
    ASSERT_TRUE(CreateHttp(&client, kHttpClient_Wininet));
    EXPECT_NE(dynamic_cast<CWininetHttp*>(client), nullptr);
    client->FreeInstance();
    ASSERT_TRUE(CreateHttp(&client, kHttpClient_WinHttp));
    EXPECT_NE(dynamic_cast<CWinHttp*>(client), nullptr);
    EXPECT_EQ(client->GetErrorCode(), 0);
    EXPECT_EQ(client->GetStatusCode(), 0);
    client->FreeInstance();
    for (int type : {-1, 3}) {
        client = reinterpret_cast<IHttpBase*>(&type);
        EXPECT_FALSE(CreateHttp(&client, type));
        EXPECT_EQ(client, nullptr);
    }
}

}  // namespace
