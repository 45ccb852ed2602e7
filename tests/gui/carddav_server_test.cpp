// The CardDAV server the synchronisation tests run against: that it starts, speaks CardDAV with the
// accounts it was given, keeps what it stores, and can be taken down and brought back.

#include "support/radicale_server.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <gtest/gtest.h>

namespace {

using zel::test::basicAuthorization;
using zel::test::HttpReply;
using zel::test::RadicaleServer;
using zel::test::sendHttp;

const QByteArray kAddressBookBody = zel::test::addressBookMkcol("Partnerek");

// A card as Radicale itself writes one: CRLF, VERSION and UID first, the rest by name, long lines
// folded at 75 bytes. Such a card comes back byte for byte.
const QByteArray kCanonicalCard = "BEGIN:VCARD\r\n"
                                  "VERSION:3.0\r\n"
                                  "UID:zel-1\r\n"
                                  "EMAIL;TYPE=INTERNET:anna@example.hu\r\n"
                                  "FN:Kiss Anna\r\n"
                                  "N:Kiss;Anna;;;\r\n"
                                  "NOTE:Első sor\\nmásodik sor\\, vesszővel\r\n"
                                  "TEL;TYPE=CELL:+36 30 123 4567\r\n"
                                  "TEL;TYPE=WORK:+36 1 234 5678\r\n"
                                  "X-ZEL-EXTRA:megtartandó\r\n"
                                  "END:VCARD\r\n";

class CardDavServer : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server_.start()); }

    QUrl url(const char* path) const { return server_.baseUrl().resolved(QUrl(QString::fromUtf8(path))); }

    HttpReply send(const QByteArray& verb, const char* path,
                   QList<QPair<QByteArray, QByteArray>> headers = {}, const QByteArray& body = {},
                   const char* user = "anna", const char* password = "titok") {
        headers.append(
            {"Authorization", basicAuthorization(QString::fromUtf8(user), QString::fromUtf8(password))});
        return sendHttp(network_, verb, url(path), headers, body);
    }

    HttpReply makeAddressBook(const char* path) {
        return send("MKCOL", path, {{"Content-Type", "application/xml; charset=utf-8"}}, kAddressBookBody);
    }

    HttpReply putNewCard(const char* path, const QByteArray& card) {
        return send("PUT", path, {{"Content-Type", "text/vcard; charset=utf-8"}, {"If-None-Match", "*"}},
                    card);
    }

    RadicaleServer server_{{{QStringLiteral("bela"), QStringLiteral("jelszo")}}};
    QNetworkAccessManager network_;
};

TEST_F(CardDavServer, FindsThePrincipalMakesAnAddressBookAndKeepsACardAsItWasPut) {
    EXPECT_EQ(server_.baseUrl().toString(), QStringLiteral("http://127.0.0.1:%1/").arg(server_.port()));

    const HttpReply wellKnown = send("PROPFIND", "/.well-known/carddav", {{"Depth", "0"}});
    EXPECT_EQ(wellKnown.status, 301);
    EXPECT_EQ(wellKnown.header("Location"), "/");

    const HttpReply principal = send("PROPFIND", "/", {{"Depth", "0"}, {"Content-Type", "application/xml"}},
                                     R"(<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:">)"
                                     R"(<D:prop><D:current-user-principal/></D:prop></D:propfind>)");
    EXPECT_EQ(principal.status, 207);
    EXPECT_TRUE(principal.body.contains("<current-user-principal><href>/anna/</href>"))
        << principal.body.data();
    EXPECT_TRUE(principal.header("DAV").contains("addressbook")) << principal.header("DAV").data();

    EXPECT_EQ(makeAddressBook("/anna/partnerek/").status, 201);
    const HttpReply put = putNewCard("/anna/partnerek/zel-1.vcf", kCanonicalCard);
    EXPECT_EQ(put.status, 201);
    EXPECT_FALSE(put.header("ETag").isEmpty());
    // If-None-Match: * keeps a card that is already there.
    EXPECT_EQ(putNewCard("/anna/partnerek/zel-1.vcf", kCanonicalCard).status, 412);

    const HttpReply got = send("GET", "/anna/partnerek/zel-1.vcf");
    EXPECT_EQ(got.status, 200);
    EXPECT_EQ(got.body, kCanonicalCard);
    EXPECT_EQ(got.header("ETag"), put.header("ETag"));
    EXPECT_EQ(got.header("Content-Type"), "text/vcard; charset=utf-8");

    QFile stored(server_.storagePath() + QStringLiteral("/collection-root/anna/partnerek/zel-1.vcf"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), kCanonicalCard);
}

TEST_F(CardDavServer, AWrongPasswordGets401AndAnotherUsersBook403) {
    ASSERT_EQ(makeAddressBook("/anna/partnerek/").status, 201);
    ASSERT_EQ(putNewCard("/anna/partnerek/zel-1.vcf", kCanonicalCard).status, 201);

    const HttpReply wrong = send("GET", "/anna/partnerek/zel-1.vcf", {}, {}, "anna", "rossz");
    EXPECT_EQ(wrong.status, 401);
    EXPECT_TRUE(wrong.header("WWW-Authenticate").startsWith("Basic"))
        << wrong.header("WWW-Authenticate").data();
    EXPECT_EQ(send("GET", "/anna/partnerek/zel-1.vcf", {}, {}, "bela", "jelszo").status, 403);
    EXPECT_EQ(send("GET", "/anna/partnerek/zel-1.vcf").status, 200);
}

// What the server does to a card that is not already in its own form. Radicale parses every card and
// writes it anew: a client that keeps every byte must not take its own bytes for what the server holds,
// and must escape commas in text itself.
TEST_F(CardDavServer, RewritesACardNotInItsOwnForm) {
    ASSERT_EQ(makeAddressBook("/anna/partnerek/").status, 201);
    const QByteArray put = "BEGIN:VCARD\n"
                           "version:3.0\n"
                           "N:Nagy;Béla;;;\n"
                           "fn:Nagy Béla\n"
                           "TEL;type=cell:111\n"
                           "item1.EMAIL;TYPE=INTERNET:bela@example.hu\n"
                           "item1.X-ABLabel:munka\n"
                           "NOTE:nyers, vessző nélküli escape\n"
                           "NOTE:Ez egy nagyon hosszú megjegyzés\\, amely jóval hosszabb mint hetvenöt bájt\n"
                           "X-FOLDED:eleje\n"
                           "  folytatás\n"
                           "X-SPACES:záró szóközök  \n"
                           "UID:zel-2\n"
                           "END:VCARD\n";
    // LF becomes CRLF; property and parameter names go upper case (parameter values do not); VERSION
    // and UID come first, the rest sorted by name with the group ignored, equal names in their order;
    // a folded line is unfolded and long lines folded again at 75 bytes, never inside a UTF-8
    // character; an unescaped comma in a text value ends the value there: the rest is lost. Trailing
    // spaces stay.
    const QByteArray expected = "BEGIN:VCARD\r\n"
                                "VERSION:3.0\r\n"
                                "UID:zel-2\r\n"
                                "item1.EMAIL;TYPE=INTERNET:bela@example.hu\r\n"
                                "FN:Nagy Béla\r\n"
                                "N:Nagy;Béla;;;\r\n"
                                "NOTE:nyers\r\n"
                                "NOTE:Ez egy nagyon hosszú megjegyzés\\, amely jóval hosszabb mint hetven\r\n"
                                " öt bájt\r\n"
                                "TEL;TYPE=cell:111\r\n"
                                "item1.X-ABLABEL:munka\r\n"
                                "X-FOLDED:eleje folytatás\r\n"
                                "X-SPACES:záró szóközök  \r\n"
                                "END:VCARD\r\n";
    ASSERT_EQ(putNewCard("/anna/partnerek/zel-2.vcf", put).status, 201);
    EXPECT_EQ(send("GET", "/anna/partnerek/zel-2.vcf").body, expected);
}

TEST_F(CardDavServer, AStoppedServerRefusesAndARestartedOneHasItsCardsOnTheSameAddress) {
    ASSERT_EQ(makeAddressBook("/anna/partnerek/").status, 201);
    ASSERT_EQ(putNewCard("/anna/partnerek/zel-1.vcf", kCanonicalCard).status, 201);
    const QUrl before = server_.baseUrl();

    server_.stop();
    EXPECT_FALSE(server_.isRunning());
    const HttpReply refused = send("GET", "/anna/partnerek/zel-1.vcf");
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.error, QNetworkReply::ConnectionRefusedError) << refused.errorText.toStdString();

    ASSERT_TRUE(server_.restart());
    EXPECT_EQ(server_.baseUrl(), before);
    const HttpReply got = send("GET", "/anna/partnerek/zel-1.vcf");
    EXPECT_EQ(got.status, 200);
    EXPECT_EQ(got.body, kCanonicalCard);
}

} // namespace
