<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Texts that the generated language table must carry exactly as lrelease compiles them. -->
<TS version="2.1" language="de_DE" sourcelanguage="es_ES">
<context>
    <name></name>
    <message id="IDD_102_TITLE">
        <source>Not a string of the table</source>
        <translation>Kein Text der Tabelle</translation>
    </message>
    <message id="IDS_103">
        <source>x</source>
        <translation>Quote &quot; " backslash \ \n; semicolon [brackets] ??= %s 100%</translation>
    </message>
    <message id="IDS_104">
        <source>x</source>
        <translation>two
lines&#9;and a tab</translation>
    </message>
    <message id="IDS_105">
        <source>x</source>
        <translation>&amp;&lt;&gt;&apos;&#x20AC;&#228;&#x1F600;&amp;amp;</translation>
    </message>
    <message id="IDS_106">
        <source>x</source>
        <translation>Größe 1a äb</translation>
    </message>
    <message id="IDS_107">
        <source>x</source>
        <translation type="unfinished">unfertig</translation>
    </message>
    <message id="IDS_108">
        <source>Fuente &amp; origen</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="IDS_109">
        <source>Fuente</source>
        <translation type="unfinished"/>
    </message>
    <message id="IDS_110">
        <source>x</source>
        <translation></translation>
    </message>
    <message id="IDS_111">
        <source>x</source>
        <translation type="vanished">weg</translation>
    </message>
    <message id="IDS_112">
        <source>x</source>
        <translation type="obsolete">alt</translation>
    </message>
    <message id="IDS_114">
        <source>x</source>
        <translation>  spaced  </translation>
    </message>
    <message id="IDS_115">
        <comment>a comment</comment>
        <source>x</source>
        <translation>after a comment</translation>
    </message>
    <message id="IDS_200">
        <source>x</source>
        <translation>outside the table</translation>
    </message>
    <message id="KEY_CARRIED">
        <source>x</source>
        <translation>%1 &amp; %2 &#x2013; named</translation>
    </message>
    <message id="KEY_VANISHED">
        <source>x</source>
        <translation type="vanished">gone</translation>
    </message>
    <message id="KEY_NOT_ASKED_FOR">
        <source>x</source>
        <translation>not in the table</translation>
    </message>
</context>
</TS>
