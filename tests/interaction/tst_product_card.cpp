// The product card panel and the student product card: the room's product
// lists (asked through the client library and answered with 140/144), the
// rows and their up/down requests, the up and down commands (141/142,
// 145/146) moving the single up mark, advert mode, pictures from a local
// server with the default picture when none comes, the details link, and the
// student card's placement.
#include "tests/interaction/tst_palette_room.h"

#include "HttpFixture.h"
#include "app/Logger.h"
#include "interaction/CTopClassWidget.h"
#include "interaction/StuTopClassWidget.h"
#include "interaction/TopClassItem.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>

using namespace toolroom;

namespace {

// Receives the URLs the desktop would open.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

QVariantMap Product(const QString& id, const QString& name = "p", const QString& up = "0")
{
    return {{"productid", id},        {"productname", name},
            {"productdesc", "desc"},  {"productprice", QString::fromUtf8("99元")},
            {"productcount", "12"},   {"productimgurl", ""},
            {"productdetailurl", "https://shop.example/" + id}, {"upstatus", up},
            {"extra", 7}};
}

class ProductCardTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        window.resize(1000, 700);
        window.show();
        products = new CTopClassWidget(&window);
        adverts = new CTopClassWidget(&window);
        adverts->SetClassMode(false);
        // The main window's routes of the product commands.
        route = QObject::connect(Room::instance(), &Room::sgClientLibCmd, products, [this](int code, QVariant v) {
            switch (code) {
            case RsC_Product1_List: products->SetProductList(v); break;
            case RsC_Product1_Up: products->OnProductUp(v); break;
            case RsC_Product1_Down: products->OnProductDown(v); break;
            case RsC_Product2_List: adverts->SetProductList(v); break;
            case RsC_Product2_Up: adverts->OnProductUp(v); break;
            case RsC_Product2_Down: adverts->OnProductDown(v); break;
            default: break;
            }
        });
    }
    void TearDown() override
    {
        QObject::disconnect(route);
        delete products;
        delete adverts;
        window.hide();
        ToolTest::TearDown();
    }
    static QListWidget* List(CTopClassWidget* panel) { return panel->findChild<QListWidget*>("listWidget"); }
    static TopClassItem* Row(CTopClassWidget* panel, int i)
    {
        return qobject_cast<TopClassItem*>(List(panel)->itemWidget(List(panel)->item(i)));
    }
    static QString Button(CTopClassWidget* panel, int i)
    {
        return Row(panel, i)->findChild<QPushButton*>("btnUpDown")->text();
    }
    static bool NullShown(CTopClassWidget* panel) { return !panel->findChild<QWidget*>("wdgNull")->isHidden(); }
    void List(CTopClassWidget* panel, const QString& ts, const QVariantList& list)
    {
        panel->SetProductList(QVariantMap{{"lastts", ts}, {"listdata", list}});
    }

    QWidget window;
    CTopClassWidget* products = nullptr;
    CTopClassWidget* adverts = nullptr;
    QMetaObject::Connection route;
};

TEST_F(ProductCardTest, ShowAsksTheRoomForItsListAndPutsAProductUp)
{
    products->ShowWidget();
    EXPECT_EQ(CallsNamed("GetProductList"), (QList<QVariantList>{{"0"}}));
    EXPECT_TRUE(products->isVisible());
    ASSERT_TRUE(testsupport::waitUntil([&] { return List(products)->count() > 0; }));
    const int n = List(products)->count();
    EXPECT_EQ(n, products->Products().size());
    EXPECT_FALSE(NullShown(products));
    EXPECT_NE(products->LastTs(), "0");
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(Button(products, i), U("上架")) << i;
    EXPECT_EQ(Row(products, 0)->size(), QSize(320, 130));
    EXPECT_EQ(products->width(), 350);
    Screenshot(products, "product_list.png");

    // The next show asks with the stored time stamp.
    const QString ts = products->LastTs();
    products->ShowWidget();
    EXPECT_EQ(CallsNamed("GetProductList").last(), QVariantList{ts});

    // A row click asks; the row changes only with the room's command.
    ClientLibTestControl::ClearCalls(Lib());
    const QVariantMap first = Row(products, 0)->Data();
    Row(products, 0)->findChild<QPushButton*>("btnUpDown")->click();
    ASSERT_EQ(CallsNamed("ProductUp").size(), 1);
    EXPECT_EQ(CallsNamed("ProductUp")[0].value(0).toMap(), first);
    EXPECT_EQ(Button(products, 0), U("上架"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return Button(products, 0) == U("下架"); }));
    EXPECT_EQ(products->UpProduct(), first.value("productid").toString());
    EXPECT_EQ(Row(products, 0)->findChild<QPushButton*>("btnUpDown")->styleSheet(), QString(g_styleBtnGreen));
    Screenshot(products, "product_list_up.png");

    Row(products, 0)->findChild<QPushButton*>("btnUpDown")->click();
    ASSERT_EQ(CallsNamed("ProductDown").size(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return Button(products, 0) == U("上架"); }));
    EXPECT_TRUE(products->UpProduct().isEmpty());
    EXPECT_EQ(Row(products, 0)->findChild<QPushButton*>("btnUpDown")->styleSheet(), QString(g_styleBtnOrange));
}

TEST_F(ProductCardTest, TheUpMarkFollowsTheCommandsNotTheList)
{
    // A list's own "upstatus" is replaced by the panel's state.
    List(products, "5", {Product("a", "A", "1"), Product("b"), Product("a", "A2")});
    EXPECT_EQ(List(products)->count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Button(products, i), U("上架")) << i;
    EXPECT_EQ(products->Products()[0].toMap().value("upstatus"), g_strZero);
    EXPECT_EQ(products->Products()[0].toMap().value("extra"), 7) << "further keys are kept";

    // Two products with the same id are both marked up by one command.
    products->OnProductUp(Product("a"));
    EXPECT_EQ(Button(products, 0), U("下架"));
    EXPECT_EQ(Button(products, 1), U("上架"));
    EXPECT_EQ(Button(products, 2), U("下架"));
    products->OnProductUp(Product("b"));
    EXPECT_EQ(Button(products, 0), U("上架"));
    EXPECT_EQ(Button(products, 1), U("下架"));

    // The same time stamp keeps the rows, even with another list.
    List(products, "5", {Product("z")});
    EXPECT_EQ(List(products)->count(), 3);
    EXPECT_EQ(products->Products().size(), 3);
    // A new list marks the product that is up.
    List(products, "6", {Product("b", "B"), Product("c")});
    EXPECT_EQ(Button(products, 0), U("下架"));
    EXPECT_EQ(Button(products, 1), U("上架"));

    // An up command for no product still becomes the up product; a down
    // command clears it whatever its id.
    products->OnProductUp(Product("nope"));
    EXPECT_EQ(products->UpProduct(), "nope");
    EXPECT_EQ(Button(products, 0), U("上架"));
    products->OnProductUp(Product("b"));
    products->OnProductDown(Product("c"));
    EXPECT_TRUE(products->UpProduct().isEmpty());
    EXPECT_EQ(Button(products, 0), U("下架")) << "only the command's product is taken down";

    // A new time stamp without a list shows the empty box.
    List(products, "7", {});
    EXPECT_EQ(List(products)->count(), 0);
    EXPECT_TRUE(NullShown(products));
    products->show();
    Screenshot(products, "product_list_empty.png");

    // After a reset the time stamp is "0" again.
    products->ResetData(true);
    EXPECT_EQ(products->LastTs(), "0");
    EXPECT_FALSE(products->isVisible());
    EXPECT_FALSE(NullShown(products));
    List(products, "7", {Product("d")});
    EXPECT_EQ(List(products)->count(), 1);
}

TEST_F(ProductCardTest, AdvertModeHidesPriceAndCount)
{
    adverts->ShowWidget();
    EXPECT_EQ(CallsNamed("GetAdProductList"), (QList<QVariantList>{{"0"}}));
    EXPECT_TRUE(CallsNamed("GetProductList").isEmpty());
    EXPECT_EQ(adverts->findChild<QLabel*>("labTitle")->text(), U("广告"));
    EXPECT_EQ(adverts->findChild<QLabel*>("labNoData")->text(), U("暂无广告"));
    EXPECT_EQ(products->findChild<QLabel*>("labTitle")->text(), U("课程"));
    EXPECT_EQ(products->findChild<QLabel*>("labNoData")->text(), U("暂无课程"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return List(adverts)->count() > 0; }));
    TopClassItem* row = Row(adverts, 0);
    for (const char* name : {"labPrice0", "labPrice", "labNum0", "labNum"})
        EXPECT_TRUE(row->findChild<QLabel*>(name)->isHidden()) << name;
    EXPECT_EQ(Button(adverts, 0), U("发布"));
    Screenshot(adverts, "product_adverts.png");
    row->findChild<QPushButton*>("btnUpDown")->click();
    EXPECT_EQ(CallsNamed("AdProductUp").size(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return Button(adverts, 0) == U("撤销"); }));
    Row(adverts, 0)->findChild<QPushButton*>("btnUpDown")->click();
    EXPECT_EQ(CallsNamed("AdProductDown").size(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return Button(adverts, 0) == U("发布"); }));
}

TEST_F(ProductCardTest, LongTextsAreElidedAndDetailsOpenTheLink)
{
    const QString longName = QString::fromUtf8("一个名字非常非常非常非常非常非常非常非常长的课程产品");
    QVariantMap p = Product("x", longName);
    p["productdetailurl"] = "https://shop.example/item x";
    List(products, "9", {p});
    QLabel* title = Row(products, 0)->findChild<QLabel*>("labTitle");
    EXPECT_TRUE(title->text().endsWith(QChar(0x2026))) << title->text().toStdString();
    EXPECT_EQ(title->toolTip(), longName);
    EXPECT_EQ(Row(products, 0)->findChild<QLabel*>("labPrice")->text(), QString::fromUtf8("99元"));
    EXPECT_EQ(Row(products, 0)->findChild<QLabel*>("labNum")->text(), "12");

    UrlSink sink;
    QDesktopServices::setUrlHandler("https", &sink, "open");
    Row(products, 0)->findChild<QPushButton*>("btnInfo")->click();
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(sink.urls.size(), 1);
    EXPECT_EQ(sink.urls[0].toEncoded(), "https://shop.example/item%20x");
}

TEST_F(ProductCardTest, PicturesComeFromTheServerOrTheDefault)
{
    QImage red(60, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    testsupport::HttpFixture server;
    const std::string body = png.toStdString();
    server.server().Get("/red.png", [body](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "image/png");
    });
    ASSERT_TRUE(server.start());

    QVariantMap good = Product("g");
    good["productimgurl"] = QString::fromStdString(server.url("/red.png"));
    QVariantMap bad = Product("h");
    bad["productimgurl"] = QString::fromStdString(server.url("/missing.png"));
    List(products, "11", {good, bad});
    auto picture = [&](int i) {
        return Row(products, i)->findChild<QLabel*>("labImage")->pixmap(Qt::ReturnByValue);
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return !picture(0).isNull(); }));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !picture(1).isNull(); }));
    EXPECT_EQ(picture(0).size(), QSize(100, 50)) << "scaled into the label, aspect kept";
    EXPECT_EQ(picture(0).toImage().pixelColor(50, 25), QColor(Qt::red));
    EXPECT_EQ(picture(1).size(), QSize(100, 100)) << "the default picture";
    products->show();
    Screenshot(products, "product_pictures.png");

    // The cached picture shows at once the next time.
    List(products, "12", {good});
    EXPECT_EQ(picture(0).size(), QSize(100, 50));
}

TEST_F(ProductCardTest, OnlyWebAddressesAreFetchedOrOpened)
{
    // A picture on this machine, named by the room as a path or a file URL,
    // is never read: the default picture shows instead.
    testsupport::TempDir dir;
    const QString local = QString::fromStdString(dir.path()) + "/red.png";
    QImage red(60, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(local, "PNG"));
    const QString detail[] = {"file:///etc/passwd", "javascript:alert(1)", "ftp://shop.example/x", "/etc/passwd"};
    const QString picture[] = {local, QUrl::fromLocalFile(local).toString(), "ftp://shop.example/x.png",
                               "qrc:/widget/res/widget/topClassImage.png"};
    QVariantList list;
    for (int i = 0; i < 4; ++i) {
        QVariantMap p = Product(QString::number(i));
        p["productimgurl"] = picture[i];
        p["productdetailurl"] = detail[i];
        list << p;
    }
    List(products, "21", list);
    UrlSink sink;
    for (const char* scheme : {"file", "javascript", "ftp", "https", "http"})
        QDesktopServices::setUrlHandler(scheme, &sink, "open");
    for (int i = 0; i < 4; ++i) {
        const QPixmap shown = Row(products, i)->findChild<QLabel*>("labImage")->pixmap(Qt::ReturnByValue);
        EXPECT_EQ(shown.size(), QSize(100, 100)) << picture[i].toStdString();
        EXPECT_NE(shown.toImage().pixelColor(50, 50), QColor(Qt::red)) << picture[i].toStdString();
        Row(products, i)->findChild<QPushButton*>("btnInfo")->click();
        const std::string log = testsupport::readFile(Logger::instance()->fileName().toStdString());
        EXPECT_NE(log.find("not a web address: " + detail[i].toStdString()), std::string::npos) << detail[i].toStdString();
    }
    // The student card keeps the same rule.
    CData::SetStudentSideForTests(true);
    QVariantMap up = Product("s");
    up["productdetailurl"] = "file:///etc/hostname";
    products->OnProductUp(up);
    products->Card()->findChild<QPushButton*>("btnInfo")->click();
    up["productdetailurl"] = "http://shop.example/s";
    products->OnProductUp(up);
    products->Card()->findChild<QPushButton*>("btnInfo")->click();
    CData::SetStudentSideForTests(false);
    for (const char* scheme : {"file", "javascript", "ftp", "https", "http"})
        QDesktopServices::unsetUrlHandler(scheme);
    EXPECT_EQ(sink.urls, QList<QUrl>{QUrl("http://shop.example/s")});
}

TEST_F(ProductCardTest, StudentSideShowsTheCardOfTheUpProduct)
{
    CData::SetStudentSideForTests(true);
    StuTopClassWidget* card = products->Card();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->parentWidget(), &window) << "the card floats in the main window";

    // Lists are ignored and the up/down button is hidden.
    List(products, "3", {Product("a")});
    EXPECT_EQ(List(products)->count(), 0);
    products->ShowWidget();
    EXPECT_TRUE(products->isVisible()) << "nothing up: the empty panel";
    EXPECT_TRUE(NullShown(products));
    EXPECT_TRUE(CallsNamed("GetProductList").isEmpty());
    products->hide();

    const QString longDesc = QString::fromUtf8("这是一段非常非常非常非常非常非常非常非常非常长的产品描述文字");
    QVariantMap up = Product("a", QString::fromUtf8("物理实验套装"));
    up["productdesc"] = longDesc;
    products->OnProductUp(up);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->size(), QSize(340, 172));
    EXPECT_EQ(card->pos(), QPoint(20, 700 - 172 - 100));
    QLabel* des = card->findChild<QLabel*>("labDes");
    EXPECT_TRUE(des->text().endsWith(QChar(0x2026))) << des->text().toStdString();
    EXPECT_EQ(des->toolTip(), longDesc);
    Screenshot(&window, "product_student_card.png");

    // Closed, the panel shows the card again.
    card->findChild<QPushButton*>("btnClose")->click();
    EXPECT_FALSE(card->isVisible());
    products->ShowWidget();
    EXPECT_TRUE(card->isVisible());
    EXPECT_FALSE(products->isVisible());

    // Taken down: hidden, and nothing to show.
    products->OnProductDown(up);
    EXPECT_FALSE(card->isVisible());
    EXPECT_FALSE(card->ShowWidget());
    EXPECT_FALSE(card->isVisible());
}

TEST_F(ProductCardTest, AdvertCardIsCentredUntilTheWindowResizes)
{
    StuTopClassWidget* card = adverts->Card();
    EXPECT_EQ(card->findChild<QLabel*>("labWdgTitle")->text(), U("广告"));
    for (const char* name : {"labPrice0", "labPrice", "labNum0", "labNum"})
        EXPECT_TRUE(card->findChild<QLabel*>(name)->isHidden()) << name;
    EXPECT_TRUE(card->ShowProduct(Product("ad1", QString::fromUtf8("春季招生"))));
    EXPECT_EQ(card->pos(), QPoint(330, 264));
    Screenshot(&window, "product_advert_card.png");
    window.resize(1200, 800);
    QCoreApplication::processEvents();
    EXPECT_EQ(card->pos(), QPoint(20, 800 - 172 - 100));
    card->ResetData(false);
    EXPECT_TRUE(card->isVisible()) << "cleared, left as it was";
    EXPECT_TRUE(card->Product().isEmpty());
}

}  // namespace

#include "tst_product_card.moc"
