<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Kalibrix</name>
    <message>
        <source>Centimetres</source>
        <translation>Zentimeter</translation>
    </message>
    <message>
        <source>Pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Inches</source>
        <translation>Zoll</translation>
    </message>
    <message>
        <source>Twips</source>
        <translation>Twips</translation>
    </message>
    <message>
        <source>Points</source>
        <translation>Punkt</translation>
    </message>
    <message>
        <source>&amp;Copy reading</source>
        <translation>Messwert &amp;kopieren</translation>
    </message>
    <message>
        <source>Copy &amp;horizontal reading</source>
        <translation>&amp;Waagrechten Messwert kopieren</translation>
    </message>
    <message>
        <source>Copy &amp;vertical reading</source>
        <translation>&amp;Senkrechten Messwert kopieren</translation>
    </message>
    <message>
        <source>Keep Kalibrix on &amp;top</source>
        <translation>Kalibrix immer &amp;oben halten</translation>
    </message>
    <message>
        <source>&amp;Put the caliper away</source>
        <translation>Messschieber &amp;weglegen</translation>
    </message>
    <message>
        <source>&amp;Put the calipers away</source>
        <translation>Beide Messschieber &amp;weglegen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Quit Kalibrix</source>
        <translation>Kalibrix &amp;beenden</translation>
    </message>
    <message>
        <source>Calibrate </source>
        <translation>Justieren </translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Folding rule</source>
        <translation>Zollstock</translation>
    </message>
    <message>
        <source>Scale:</source>
        <translation>Maßstab:</translation>
    </message>
    <message>
        <source>Keep Kalibrix on top.</source>
        <translation>Kalibrix immer oben halten.</translation>
    </message>
    <message>
        <source>Horizontal caliper</source>
        <translation>Waagrechter Messschieber</translation>
    </message>
    <message>
        <source>Vertical caliper</source>
        <translation>Senkrechter Messschieber</translation>
    </message>
    <message>
        <source>Magnifier</source>
        <translation>Lupe</translation>
    </message>
    <message>
        <source>Both sliders back to zero</source>
        <translation>Beide Schieber auf null</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>Justieren</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Web page</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <source>Horizontal zero point</source>
        <translation>Waagrechter Nullpunkt</translation>
    </message>
    <message>
        <source>Vertical zero point</source>
        <translation>Senkrechter Nullpunkt</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Maßstab</translation>
    </message>
    <message>
        <source>Horizontal reading</source>
        <translation>Waagrechter Messwert</translation>
    </message>
    <message>
        <source>Vertical reading</source>
        <translation>Senkrechter Messwert</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Horizontal slider</source>
        <translation>Waagrechter Schieber</translation>
    </message>
    <message>
        <source>Vertical slider</source>
        <translation>Senkrechter Schieber</translation>
    </message>
    <message>
        <source>Arrow keys move the jaw one pixel, with Shift ten; with Ctrl the whole caliper. Ctrl+C copies the reading.</source>
        <translation>Die Pfeiltasten bewegen die Backe um ein Pixel, mit Umschalt um zehn; mit Strg den ganzen Messschieber. Strg+C kopiert den Messwert.</translation>
    </message>
    <message>
        <source>One pixel further</source>
        <translation>Ein Pixel weiter</translation>
    </message>
    <message>
        <source>One pixel back</source>
        <translation>Ein Pixel zurück</translation>
    </message>
    <message>
        <source>Jaw handle</source>
        <translation>Griff der Backe</translation>
    </message>
    <message>
        <source>Measures distances on the screen with a horizontal and a vertical caliper.</source>
        <translation>Misst Abstände auf dem Bildschirm mit einem waagrechten und einem senkrechten Messschieber.</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unerwartetes Argument &apos;%1&apos;</translation>
    </message>
</context>
</TS>
