<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Kalibrix</name>
    <message>
        <location filename="../model/module1.h" line="43"/>
        <source>Centimetres</source>
        <translation>Zentimeter</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="43"/>
        <source>Ce&amp;ntimetres</source>
        <translation>Ze&amp;ntimeter</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="45"/>
        <source>Pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="45"/>
        <source>Pi&amp;xels</source>
        <translation>&amp;Pixel</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="47"/>
        <source>Inches</source>
        <translation>Zoll</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="47"/>
        <source>&amp;Inches</source>
        <translation>&amp;Zoll</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="49"/>
        <source>Twips</source>
        <translation>Twips</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="49"/>
        <source>T&amp;wips</source>
        <translation>&amp;Twips</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="50"/>
        <source>Points</source>
        <translation>Punkt</translation>
    </message>
    <message>
        <location filename="../model/module1.h" line="50"/>
        <source>P&amp;oints</source>
        <translation>P&amp;unkt</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="103"/>
        <source>&amp;Copy reading</source>
        <translation>Messwert &amp;kopieren</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="108"/>
        <source>Copy hori&amp;zontal reading</source>
        <translation>Waa&amp;grechten Messwert kopieren</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="111"/>
        <source>Copy &amp;vertical reading</source>
        <translation>&amp;Senkrechten Messwert kopieren</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="133"/>
        <source>T&amp;rue size</source>
        <translation>W&amp;ahre Größe</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="142"/>
        <source>&amp;Scale from a known length...</source>
        <translation>&amp;Maßstab aus bekannter Länge...</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="148"/>
        <source>C&amp;alibrate this monitor...</source>
        <translation>Diesen Bildschirm ka&amp;librieren...</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="156"/>
        <source>Keep Kalibrix on &amp;top</source>
        <translation>Kalibrix immer &amp;oben halten</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="165"/>
        <source>&amp;Put the caliper away</source>
        <translation>Messschieber &amp;weglegen</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="166"/>
        <source>&amp;Put the calipers away</source>
        <translation>Beide Messschieber &amp;weglegen</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="176"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="180"/>
        <source>&amp;Quit Kalibrix</source>
        <translation>Kalibrix &amp;beenden</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="33"/>
        <source>Calibrate </source>
        <translation>Justieren </translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="114"/>
        <location filename="../panel/startcontrols.cpp" line="194"/>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="134"/>
        <location filename="../panel/startcontrols.cpp" line="196"/>
        <source>Folding rule</source>
        <translation>Zollstock</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="58"/>
        <source>Scale:</source>
        <translation>Maßstab:</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="64"/>
        <source>Keep Kalibrix on top.</source>
        <translation>Kalibrix immer oben halten.</translation>
    </message>
    <message>
        <location filename="../caliper/beam.cpp" line="79"/>
        <location filename="../panel/startcontrols.cpp" line="188"/>
        <location filename="../panel/startcontrols.cpp" line="200"/>
        <source>Horizontal caliper</source>
        <translation>Waagrechter Messschieber</translation>
    </message>
    <message>
        <location filename="../caliper/beam.cpp" line="78"/>
        <location filename="../panel/startcontrols.cpp" line="189"/>
        <location filename="../panel/startcontrols.cpp" line="201"/>
        <source>Vertical caliper</source>
        <translation>Senkrechter Messschieber</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="190"/>
        <source>Magnifier</source>
        <translation>Lupe</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="191"/>
        <source>Both sliders back to zero</source>
        <translation>Beide Schieber auf null</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="192"/>
        <source>Calibration</source>
        <translation>Justieren</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="193"/>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="195"/>
        <source>Web page</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="197"/>
        <source>Horizontal zero point</source>
        <translation>Waagrechter Nullpunkt</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="198"/>
        <source>Vertical zero point</source>
        <translation>Senkrechter Nullpunkt</translation>
    </message>
    <message>
        <location filename="../panel/startcontrols.cpp" line="199"/>
        <location filename="../panel/startcontrols.cpp" line="207"/>
        <source>Scale</source>
        <translation>Maßstab</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="158"/>
        <location filename="../panel/startcontrols.cpp" line="205"/>
        <source>Horizontal reading</source>
        <translation>Waagrechter Messwert</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="159"/>
        <location filename="../panel/startcontrols.cpp" line="206"/>
        <source>Vertical reading</source>
        <translation>Senkrechter Messwert</translation>
    </message>
    <message>
        <location filename="../panel/startzeropoints.cpp" line="75"/>
        <source>The calibration could not be saved.

File: %1
Reason: %2

Kalibrix goes on working, but the calibration will not be kept after it ends.</source>
        <translation>Die Kalibrierung konnte nicht gespeichert werden.

Datei: %1
Grund: %2

Kalibrix arbeitet weiter, aber die Kalibrierung bleibt nach dem Beenden nicht erhalten.</translation>
    </message>
    <message>
        <location filename="../panel/startzeropoints.cpp" line="72"/>
        <source>The calibration could not be read.

File: %1
Reason: %2

Kalibrix starts from the default zero points, and cannot keep the calibration while the file cannot be read.</source>
        <translation>Die Kalibrierung konnte nicht gelesen werden.

Datei: %1
Grund: %2

Kalibrix beginnt mit den voreingestellten Nullpunkten und kann die Kalibrierung nicht speichern, solange die Datei nicht gelesen werden kann.</translation>
    </message>
    <message>
        <location filename="../caliper/beam.cpp" line="76"/>
        <location filename="../foldingrule/zollstock.cpp" line="46"/>
        <source>Close</source>
        <translation>Ende</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="154"/>
        <source>Horizontal slider</source>
        <translation>Waagrechter Schieber</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="155"/>
        <source>Vertical slider</source>
        <translation>Senkrechter Schieber</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="156"/>
        <source>Arrow keys move the jaw one pixel, with Shift ten; with Ctrl the whole caliper. Ctrl+C copies the reading.</source>
        <translation>Die Pfeiltasten bewegen die Backe um ein Pixel, mit Umschalt um zehn; mit Strg den ganzen Messschieber. Strg+C kopiert den Messwert.</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="160"/>
        <source>One pixel further</source>
        <translation>Ein Pixel weiter</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="161"/>
        <source>One pixel back</source>
        <translation>Ein Pixel zurück</translation>
    </message>
    <message>
        <location filename="../caliper/slider.cpp" line="162"/>
        <source>Jaw handle</source>
        <translation>Griff der Backe</translation>
    </message>
    <message>
        <location filename="../startup/commandline.cpp" line="28"/>
        <source>Options that Qt takes, passed on to it:</source>
        <translation>Optionen, die Qt selbst auswertet und die an Qt weitergegeben werden:</translation>
    </message>
    <message>
        <location filename="../startup/commandline.cpp" line="46"/>
        <source>Measures distances on the screen with a horizontal and a vertical caliper.</source>
        <translation>Misst Abstände auf dem Bildschirm mit einem waagrechten und einem senkrechten Messschieber.</translation>
    </message>
    <message>
        <location filename="../startup/commandline.cpp" line="88"/>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Unerwartetes Argument &apos;%1&apos;.</translation>
    </message>
    <message>
        <location filename="../magnifier/magnifier.cpp" line="68"/>
        <source>This desktop offers no screen sharing, so the magnifier cannot see the screen.</source>
        <translation>Dieser Desktop bietet keine Bildschirmfreigabe an, daher kann die Lupe den Bildschirm nicht sehen.</translation>
    </message>
    <message>
        <location filename="../magnifier/magnifier.cpp" line="71"/>
        <source>Screen sharing was not allowed, so the magnifier cannot see the screen.</source>
        <translation>Die Bildschirmfreigabe wurde nicht erlaubt, daher kann die Lupe den Bildschirm nicht sehen.</translation>
    </message>
    <message>
        <location filename="../magnifier/magnifier.cpp" line="74"/>
        <source>Screen sharing has ended. Switch the magnifier on again to restart it.</source>
        <translation>Die Bildschirmfreigabe wurde beendet. Schalten Sie die Lupe erneut ein, um sie neu zu starten.</translation>
    </message>
    <message>
        <location filename="../magnifier/magnifier.cpp" line="42"/>
        <source>The desktop shares the screen but sends no picture, so the magnifier cannot see the screen.</source>
        <translation>Der Desktop gibt den Bildschirm frei, sendet aber kein Bild, daher kann die Lupe den Bildschirm nicht sehen.</translation>
    </message>
    <message>
        <location filename="../magnifier/magnifier.cpp" line="45"/>
        <source>The desktop shares a monitor without saying where it lies, and several monitors would fit, so the magnifier cannot tell what it sees.</source>
        <translation>Der Desktop gibt einen Monitor frei, ohne zu sagen, wo er liegt, und mehrere Monitore kämen infrage, daher kann die Lupe nicht erkennen, was sie sieht.</translation>
    </message>
    <message>
        <location filename="../platform/linux/displaysession.cpp" line="70"/>
        <source>Kalibrix needs XWayland on a Wayland desktop, and there is no X display (DISPLAY is empty): enable XWayland in the desktop&apos;s settings.</source>
        <translation>Kalibrix braucht auf einem Wayland-Desktop XWayland, und es gibt keine X-Anzeige (DISPLAY ist leer): Schalten Sie XWayland in den Einstellungen des Desktops ein.</translation>
    </message>
    <message>
        <location filename="../platform/linux/displaysession.cpp" line="74"/>
        <source>Kalibrix needs a graphical desktop: no display is set (DISPLAY is empty); start it from a desktop session, or set DISPLAY to an X display.</source>
        <translation>Kalibrix braucht einen grafischen Desktop: Es ist keine Anzeige gesetzt (DISPLAY ist leer); starten Sie es aus einer Desktop-Sitzung oder setzen Sie DISPLAY auf eine X-Anzeige.</translation>
    </message>
    <message>
        <location filename="../platform/linux/displaysession.cpp" line="77"/>
        <source>Kalibrix cannot open an X display: DISPLAY is empty.</source>
        <translation>Kalibrix kann keine X-Anzeige öffnen: DISPLAY ist leer.</translation>
    </message>
    <message>
        <location filename="../platform/linux/displaysession.cpp" line="89"/>
        <source>Kalibrix cannot open the X display &quot;%1&quot; (DISPLAY): is XWayland running on this Wayland desktop?</source>
        <translation>Kalibrix kann die X-Anzeige „%1“ (DISPLAY) nicht öffnen: Läuft XWayland auf diesem Wayland-Desktop?</translation>
    </message>
    <message>
        <location filename="../platform/linux/displaysession.cpp" line="94"/>
        <source>Kalibrix cannot open the X display &quot;%1&quot; (DISPLAY): no X server answers there, or it refuses the connection.</source>
        <translation>Kalibrix kann die X-Anzeige „%1“ (DISPLAY) nicht öffnen: Dort antwortet kein X-Server, oder er verweigert die Verbindung.</translation>
    </message>
    <message>
        <location filename="../platform/linux/displaysession.cpp" line="83"/>
        <source>Kalibrix cannot open the X display &quot;%1&quot; (DISPLAY): the X server there takes the connection but does not answer.</source>
        <translation>Kalibrix kann die X-Anzeige „%1“ (DISPLAY) nicht öffnen: Der X-Server dort nimmt die Verbindung an, antwortet aber nicht.</translation>
    </message>
    <message>
        <location filename="../platform/qt/windowplatform.cpp" line="82"/>
        <source>Kalibrix cannot start Qt&apos;s window platform: it is not installed, or it cannot start here.</source>
        <translation>Kalibrix kann die Fensterplattform von Qt nicht starten: Sie ist nicht installiert, oder sie kann hier nicht starten.</translation>
    </message>
    <message>
        <location filename="../platform/qt/windowplatform.cpp" line="84"/>
        <source>Kalibrix cannot start the window platform &quot;%1&quot; (QT_QPA_PLATFORM or -platform): it is not installed, or it cannot start here.</source>
        <translation>Kalibrix kann die Fensterplattform „%1“ (QT_QPA_PLATFORM oder -platform) nicht starten: Sie ist nicht installiert, oder sie kann hier nicht starten.</translation>
    </message>
    <message>
        <location filename="../platform/qt/windowplatform.cpp" line="89"/>
        <source>Installed: %1.</source>
        <translation>Installiert: %1.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="28"/>
        <source>That is not a number.</source>
        <translation>Das ist keine Zahl.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="30"/>
        <source>The length must be more than 0.</source>
        <translation>Die Länge muss größer als 0 sein.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="33"/>
        <source>Give one of the units mm, cm, m, km, in, ft, yd or mi.</source>
        <translation>Geben Sie eine der Einheiten mm, cm, m, km, in, ft, yd oder mi an.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="127"/>
        <source>Scale from a known length</source>
        <translation>Maßstab aus bekannter Länge</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="128"/>
        <source>Bring the jaws to a distance whose real length you know, then enter that length with its unit (mm, cm, m, km, in, ft, yd or mi), for example 3.60 m.</source>
        <translation>Bringen Sie die Backen auf eine Strecke, deren wahre Länge Sie kennen, und geben Sie diese Länge mit Einheit ein (mm, cm, m, km, in, ft, yd oder mi), zum Beispiel 3,60 m.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="135"/>
        <source>Pixels are not a length: choose another unit first.</source>
        <translation>Pixel sind keine Länge: wählen Sie zuerst eine andere Einheit.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="50"/>
        <source>The jaws are closed: bring them to the two ends of the length first.</source>
        <translation>Die Backen sind geschlossen: bringen Sie sie zuerst an die beiden Enden der Strecke.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="36"/>
        <source>The decimal separator is &quot;%1&quot;: for example %2.</source>
        <translation>Das Dezimaltrennzeichen ist „%1“: zum Beispiel %2.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="53"/>
        <source>That length is more than %1 times the distance between the jaws, more than the readings can show.</source>
        <translation>Diese Länge ist mehr als das %1-Fache des Abstands der Backen, mehr als die Messwerte zeigen können.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="58"/>
        <source>That length is less than %1 of the distance between the jaws, less than the readings can show.</source>
        <translation>Diese Länge ist weniger als das %1-Fache des Abstands der Backen, weniger als die Messwerte zeigen können.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="63"/>
        <source>That length reads less than %1 in this unit: choose a smaller unit.</source>
        <translation>Diese Länge ergibt in dieser Einheit weniger als %1: wählen Sie eine kleinere Einheit.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="74"/>
        <source>more than %1</source>
        <translation>mehr als %1</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="75"/>
        <source>less than 1</source>
        <translation>weniger als 1</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="159"/>
        <source>Hold a bank card or a ruler against the screen and bring the jaws to its left and right edges, with the mouse or the arrow keys. Then enter the real length between the jaws.</source>
        <translation>Halten Sie eine Bankkarte oder ein Lineal an den Bildschirm und bringen Sie die Backen mit der Maus oder den Pfeiltasten an ihre linke und rechte Kante. Geben Sie dann die wahre Länge zwischen den Backen ein.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="163"/>
        <source>Hold a bank card or a ruler against the screen and bring the jaws to its top and bottom edges, with the mouse or the arrow keys. Then enter the real length between the jaws.</source>
        <translation>Halten Sie eine Bankkarte oder ein Lineal an den Bildschirm und bringen Sie die Backen mit der Maus oder den Pfeiltasten an ihre obere und untere Kante. Geben Sie dann die wahre Länge zwischen den Backen ein.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="169"/>
        <source>Calibrate this monitor</source>
        <translation>Diesen Bildschirm kalibrieren</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="185"/>
        <source>The jaws are closed: bring them to the two edges first.</source>
        <translation>Die Backen sind geschlossen: bringen Sie sie zuerst an die beiden Kanten.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="189"/>
        <source>That makes %1 pixels per inch; a screen has between 40 and 1000.</source>
        <translation>Das ergibt %1 Pixel je Zoll; ein Bildschirm hat zwischen 40 und 1000.</translation>
    </message>
    <message>
        <location filename="../panel/lengthdialogs.cpp" line="199"/>
        <source>Reset to the reported size</source>
        <translation>Auf die gemeldete Größe zurücksetzen</translation>
    </message>
    <message>
        <location filename="../platform/qt/desktopshell.cpp" line="15"/>
        <source>The file does not exist.</source>
        <translation>Die Datei ist nicht vorhanden.</translation>
    </message>
    <message>
        <location filename="../platform/windows/desktopopener.cpp" line="12"/>
        <source>The desktop has no program to open it.</source>
        <translation>Der Desktop hat kein Programm, das dies öffnen kann.</translation>
    </message>
    <message>
        <location filename="../platform/linux/desktopopener.cpp" line="13"/>
        <source>The desktop&apos;s opener (xdg-open) could not be started.</source>
        <translation>Das Öffnungsprogramm des Desktops (xdg-open) konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <location filename="../panel/starthelp.cpp" line="35"/>
        <source>Kalibrix could not open %1.

%2</source>
        <translation>Kalibrix konnte %1 nicht öffnen.

%2</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="92"/>
        <source>its lock file %1 is held by another program or cannot be taken over</source>
        <translation>ihre Sperrdatei %1 wird von einem anderen Programm gehalten oder kann nicht übernommen werden</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="94"/>
        <source>its lock file %1 cannot be created: permission denied</source>
        <translation>ihre Sperrdatei %1 kann nicht angelegt werden: keine Berechtigung</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="96"/>
        <source>its lock file %1 cannot be created</source>
        <translation>ihre Sperrdatei %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="151"/>
        <source>the folder %1 cannot be created</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="44"/>
        <source>it is a folder, not a file</source>
        <translation>es ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="163"/>
        <source>the file is read-only</source>
        <translation>die Datei ist schreibgeschützt</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="34"/>
        <location filename="../settings/linux/settingsfile.cpp" line="42"/>
        <location filename="../settings/linux/settingsfile.cpp" line="62"/>
        <source>it cannot be read: %1</source>
        <translation>sie kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="37"/>
        <source>it is larger than %1 bytes, more than any settings file holds</source>
        <translation>sie ist größer als %1 Bytes, mehr als eine Einstellungsdatei je enthält</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="46"/>
        <source>it is not a regular file</source>
        <translation>sie ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="113"/>
        <source>a temporary file cannot be created beside it: %1</source>
        <translation>neben ihr kann keine temporäre Datei angelegt werden: %1</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="126"/>
        <source>its new text cannot be written: %1</source>
        <translation>ihr neuer Inhalt kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="128"/>
        <source>it cannot be replaced by its new text: %1</source>
        <translation>sie kann nicht durch ihren neuen Inhalt ersetzt werden: %1</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="134"/>
        <source>its folder cannot be synced to disk: %1</source>
        <translation>ihr Ordner kann nicht auf den Datenträger geschrieben werden: %1</translation>
    </message>
    <message>
        <location filename="../settings/linux/settingsfile.cpp" line="165"/>
        <source>its text cannot be changed so that it reads back as saved</source>
        <translation>ihr Text kann nicht so geändert werden, dass er wie gespeichert zurückgelesen wird</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="47"/>
        <source>C&amp;lose on the object</source>
        <translation>An das Ob&amp;jekt anlegen</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="53"/>
        <source>Open to the e&amp;dges</source>
        <translation>Bis an die Kanten ö&amp;ffnen</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="59"/>
        <source>&amp;Undo the jaws&apos; move</source>
        <translation>Bewegung der Backen rückgän&amp;gig</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="67"/>
        <source>Snap to edges while dra&amp;gging</source>
        <translation>Beim Ziehen an Kanten einra&amp;sten</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="69"/>
        <source>&amp;Edge tolerance</source>
        <translation>Kant&amp;entoleranz</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="72"/>
        <source>&amp;Exact colour</source>
        <translation>&amp;Genaue Farbe</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="72"/>
        <source>%1 of 255</source>
        <translation>%1 von 255</translation>
    </message>
    <message>
        <location filename="../panel/contextmenu.cpp" line="85"/>
        <source>Copy the &amp;colour %1</source>
        <translation>&amp;Farbe %1 kopieren</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="30"/>
        <source>This desktop offers no screen sharing, so the jaws cannot see the screen. They stay where they are.</source>
        <translation>Dieser Desktop bietet keine Bildschirmfreigabe an, daher können die Backen den Bildschirm nicht sehen. Sie bleiben stehen.</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="33"/>
        <source>Screen sharing was not allowed, so the jaws cannot see the screen. They stay where they are.</source>
        <translation>Die Bildschirmfreigabe wurde nicht erlaubt, daher können die Backen den Bildschirm nicht sehen. Sie bleiben stehen.</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="35"/>
        <source>Screen sharing has ended, so the jaws cannot see the screen. Try again to restart it.</source>
        <translation>Die Bildschirmfreigabe wurde beendet, daher können die Backen den Bildschirm nicht sehen. Ein neuer Versuch startet sie wieder.</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="39"/>
        <source>The screen could not be read. The jaws stay where they are.</source>
        <translation>Der Bildschirm ließ sich nicht lesen. Die Backen bleiben stehen.</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="197"/>
        <source>The jaws are closed: there is nothing between them to measure.</source>
        <translation>Die Backen sind geschlossen: Zwischen ihnen gibt es nichts zu messen.</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="223"/>
        <source>No edge between the jaws: they stay where they are.</source>
        <translation>Keine Kante zwischen den Backen: Sie bleiben stehen.</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="228"/>
        <source>The fixed jaw found no edge and stays where it is.</source>
        <translation>Die feste Backe fand keine Kante und bleibt stehen.</translation>
    </message>
    <message>
        <location filename="../caliper/jawcommands.cpp" line="230"/>
        <source>The moving jaw found no edge and stays where it is.</source>
        <translation>Die bewegliche Backe fand keine Kante und bleibt stehen.</translation>
    </message>
    <message>
        <location filename="../magnifier/magnifier.cpp" line="83"/>
        <source>The magnifier cannot see the screen on this desktop: Kalibrix's screen-cast module or PipeWire is not installed.</source>
        <translation>Die Lupe kann den Bildschirm auf diesem Desktop nicht sehen: Das Bildschirmfreigabe-Modul von Kalibrix oder PipeWire ist nicht installiert.</translation>
    </message>
</context>
</TS>
