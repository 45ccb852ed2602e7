#include "gui/text/help_text.h"

namespace zel::gui {

QString helpText(const QString& folder, bool perUser) {
    const QString where =
        perUser ? QStringLiteral(
                      "A program mappája nem írható, ezért az adatok az Ön saját adatmappájában (<i>") +
                      folder.toHtmlEscaped() + QStringLiteral("</i>) vannak")
                : QStringLiteral("Az adatok a program mappájában (<i>") + folder.toHtmlEscaped() +
                      QStringLiteral("</i>) vannak");
    QString text = QStringLiteral(
        "<h3>Zelmoran – címjegyzék és emlékeztető</h3>"
        "<p>A Zelmoran megőrzi partnerei elérhetőségeit, emlékezteti a teendőire, a megadott percben "
        "elindít egy programot, és szól, ha partnerei névnapja vagy születésnapja közeleg.</p>"
        "<h4>Új esemény</h4>"
        "<p>Válassza ki az esemény jellegét: <b>Emlékeztető</b> (szöveg egy adott percre), "
        "<b>Programfuttatás</b> (program vagy dokumentum megnyitása egy adott percben), <b>Névnap</b> vagy "
        "<b>Születésnap</b> (egy partnerhez). Adja meg a napot (Ma, Holnap vagy Ekkor:) és az órát, majd "
        "kattintson a <b>Felvesz</b> gombra. Egy percre csak egy emlékeztető és egy program vehető fel.</p>"
        "<p>Az emlékeztető és a programfuttatás <b>ismétlődhet</b> (<i>Naponta</i>, <i>Hetente</i>, "
        "<i>Havonta</i>, <i>Évente</i>): amikor bekövetkezik, a dátuma a következő alkalomra lép. Havonta "
        "ugyanarra a napra, évente ugyanarra a dátumra; ha a hónapban nincs ilyen nap (29–31.), a hónap "
        "utolsó napjára, február 29. pedig nem szökőévben február 28-ára. Az esemény ezután ettől a naptól "
        "ismétlődik tovább (január 31. után február 28., majd március 28.), mert csak egy dátumot őriz; ha "
        "ez nem jó, írja át a napot. Ha az ismétlődő esemény egy olyan percre lép, amelyen már van másik, "
        "mindkettő megszólal.</p>"
        "<h4>Események</h4>"
        "<p>Az <i>Eseményfajta</i> alatt választott fajta eseményeit listázza: mindet, a maiakat, a "
        "holnapiakat, a hetieket, a haviakat, vagy egy <i>Tartam</i> napjait. Egy cellára duplán kattintva "
        "(vagy Enterrel) a lista alatt módosíthatja azt az adatot, majd az <b>Átír</b> gombbal menti. A "
        "Delete billentyű vagy a lista alatti gomb kérdés után törli a kijelölt bejegyzést.</p>"
        "<h4>Partnerek</h4>"
        "<p>A partnerek betűrendben állnak. Az <b>Új név</b> gomb (vagy az Insert) új adatlapot nyit, a "
        "<b>Módosítás</b> (vagy Enter, dupla kattintás) a kijelöltet. Az <b>Elment</b> ment, a "
        "<b>Mégsem</b> vagy az Esc bezárja mentés nélkül. Mentés után rögtön felveheti a partner névnapját "
        "vagy születésnapját. Az elérhetőségek listáján dupla kattintással e-mailt írhat, megnyithatja a "
        "honlapot vagy térképen keresheti a címet.</p>"
        "<h4>Műveletek</h4>"
        "<p>A <b>Névnap keresése</b> csoportban egy név napjait keresheti meg a gyakoribb vagy az összes "
        "előfordulás szerint. Az <b>Ugrás</b> a kiválasztott napra új névnap-eseményt készít elő, a "
        "<b>Felvesz</b> a névvel új partnert kezd, a <b>Keresés adott napra</b> egy HH.NN alakban megadott "
        "nap neveit mutatja mindkét névnaptárból.</p>"
        "<p>Az <b>Adat-importálás</b> más programok címjegyzékéből (vCard, CSV, LDIF) olvas be partnereket "
        "egy listába; a lista celláit duplán kattintva javíthatja, majd az <b>A lista adatainak felvétele a "
        "partnerek közé</b> gombbal felveszi azokat, akik még nem partnerei. Az <b>Adat-exportálás</b> a "
        "partnereket CSV vagy vCard állományba írja, illetve az adatállományokat egy választott mappába "
        "másolja. Az <i>Események exportálása iCalendar állományba</i> az aktív emlékeztetőket, névnapokat "
        "és születésnapokat (a programindításokat nem) egy .ics naptárállományba írja, amelyet a telefonok, "
        "a webes naptárak és a levelezőprogramok importálni tudnak.</p>"
        "<h4>Szinkronizálás</h4>"
        "<p>A partnereket egy CardDAV-címjegyzékkel (Nextcloud, Radicale, Baïkal vagy a levelezőszolgáltató "
        "címjegyzéke) tarthatja összhangban, így a telefonján és más gépein is ugyanazok lesznek. A "
        "<b>Beállítások</b> fül <b>Szinkronizálás…</b> gombjával adja meg a kiszolgáló címét, a "
        "felhasználónevét és a jelszavát, majd válasszon a kiszolgáló címjegyzékei közül, vagy hozzon létre "
        "egy újat. A jelszót a program az asztali környezet jelszótárolójában tartja, állományba sosem írja; "
        "ha nincs jelszótároló, futásonként egyszer kérdezi meg.</p>"
        "<p>A <b>Műveletek</b> fül és a tálcaikon menüjének <b>Szinkronizálás</b> pontja azonnal "
        "szinkronizál; beállíthatja azt is, hogy induláskor és néhány percenként magától tegye. A változások "
        "mindkét irányba mezőnként mennek át. Ha egy mezőt mindkét helyen másképp írtak át, a kiszolgálóé "
        "marad, és az eredményablak mindkét értéket megmutatja. A névjegy többi adata (több telefonszám, "
        "fénykép, cég…) a kiszolgálón érintetlen marad. Ha a szinkronizálás sok partnert törölne, előbb "
        "megkérdezi. A feladatgombok alatti sor mutatja, mikor sikerült utoljára.</p>"
        "<h4>Figyelmeztetések</h4>"
        "<p>Az emlékeztető percében egy mindig felül maradó ablak jelenik meg a szöveggel és "
        "hangjelzéssel; az egér mozgatása elnémítja. Listájából választhatja a <i>Rendben</i>, az esemény "
        "szerkesztése, új esemény felvitele vagy a figyelés felfüggesztése lehetőséget. A program a "
        "<b>Passzív mód</b> gombbal felfüggeszthető; ilyenkor nem szól és nem indít programot.</p>"
        "<p>Ami akkor járt le, amikor a program nem figyelhetett (a számítógép alvó állapotban vagy "
        "kikapcsolva volt, vagy a program nem futott), azt az <b>Elmulasztott emlékeztetők</b> ablak "
        "egyszerre sorolja fel a napjával és percével; az ismétlődőt egyszer, azzal, hányszor maradt el, "
        "és már a következő alkalmára léptetve. Az elmaradt programfuttatások csak akkor indulnak el utólag, "
        "ha a <b>Beállítások</b> fülön bekapcsolja az <i>Elmaradt programfuttatások pótlása</i> lehetőséget. "
        "A passzív módban töltött idő nem mulasztás: abból semmi sem kerül a listára. Az óraátállításkor a "
        "tavaszi kimaradó óra emlékeztetői 3:00-kor szólalnak meg, az őszi ismétlődő óráé csak egyszer.</p>"
        "<p>Induláskor (és ha beállította, kilépéskor) a program felsorolja azokat a partnereket, akiknek "
        "a következő napokban névnapja vagy születésnapja lesz. Hány nappal előre, azt a "
        "<b>Beállítások</b> fülön adhatja meg. Egy sorra kattintva látja a partner elérhetőségeit. "
        "Kilépéskor a <i>&lt;&lt; Vissza a programba</i> gombbal maradhat, a <i>Kilépés &gt;&gt;</i> "
        "gombbal kiléphet.</p>"
        "<h4>Beállítások</h4>"
        "<p>Itt adhatja meg a program viselkedését, a hangjelzést, az indítást a rendszerrel és a program "
        "öt színét (vagy egy kész színösszeállítást). A beállítások csak a <b>Mentés</b> gombra kerülnek a "
        "lemezre.</p>"
        "<h4>Az adatok helye és mentése</h4>"
        "<p>");
    text += where;
    text += QStringLiteral(
        ": a <i>Data</i> alkönyvtárban a partnerek (<i>partnerek.dat</i>), az emlékeztetők "
        "(<i>emlekeztetok.dat</i>), a programok (<i>programok.dat</i>), a névnapok (<i>nevnapok.dat</i>) "
        "és a születésnapok (<i>szuletesnapok.dat</i>), mellette a beállítások (<i>beallitasok.cfg</i>). "
        "Biztonsági mentéshez zárja be a programot, és másolja el a <i>Data</i> mappát a "
        "<i>beallitasok.cfg</i> fájllal együtt; visszaállításkor másolja vissza őket ugyanide.</p>");
    return text;
}

} // namespace zel::gui
