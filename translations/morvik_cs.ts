<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs" sourcelanguage="en">
<context>
    <name>Cell</name>
    <message>
        <source>Column %1, row %2, piece</source>
        <translation>Sloupec %1, řádek %2, dílek</translation>
    </message>
    <message>
        <source>Column %1, row %2, empty</source>
        <translation>Sloupec %1, řádek %2, prázdné</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Music</source>
        <translation>Hudba</translation>
    </message>
    <message>
        <source>Idle</source>
        <translation>nečinnost</translation>
    </message>
    <message>
        <source>Assembling</source>
        <translation>skládání</translation>
    </message>
    <message>
        <source>Effects</source>
        <translation>Efekty</translation>
    </message>
    <message>
        <source>Sliding</source>
        <translation>přesuny</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavřít</translation>
    </message>
    <message>
        <source>Picture puzzle: choose sliding or assembling below</source>
        <translation>Obrázková skládačka: dole zvolte přesuny nebo skládání</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Náhled</translation>
    </message>
    <message>
        <source>The whole current picture</source>
        <translation>Celý současný obrázek</translation>
    </message>
    <message>
        <source>Title animation</source>
        <translation>Titulní animace</translation>
    </message>
    <message>
        <source>Tray</source>
        <translation>Zásobník</translation>
    </message>
    <message>
        <source>The pieces of the picture, ten by ten</source>
        <translation>Dílky obrázku, deset na deset</translation>
    </message>
    <message>
        <source>Board</source>
        <translation>Deska</translation>
    </message>
    <message>
        <source>Ten by ten cells where the pieces are put together</source>
        <translation>Deset na deset políček, kde se z dílků skládá obrázek</translation>
    </message>
    <message>
        <source>Hand: empty</source>
        <translation>Ruka: prázdná</translation>
    </message>
    <message>
        <source>The piece being carried</source>
        <translation>Dílek, který právě nesete</translation>
    </message>
    <message>
        <source>Empty cell</source>
        <translation>Prázdné políčko</translation>
    </message>
    <message>
        <source>Never shown</source>
        <translation>Nikdy se nezobrazuje</translation>
    </message>
    <message>
        <source>Empty tray cell</source>
        <translation>Prázdné políčko zásobníku</translation>
    </message>
    <message>
        <source>Picture store</source>
        <translation>Zásoba obrázků</translation>
    </message>
    <message>
        <source>Frame store</source>
        <translation>Zásoba snímků</translation>
    </message>
    <message>
        <source>Hand: the piece of column %1, row %2</source>
        <translation>Ruka: dílek ze sloupce %1, řádku %2</translation>
    </message>
    <message>
        <source>No picture yet</source>
        <translation>Zatím žádný obrázek</translation>
    </message>
    <message>
        <source>Picture %1</source>
        <translation>Obrázek %1</translation>
    </message>
    <message>
        <source>Picked up the piece of column %1, row %2</source>
        <translation>Zvednut dílek ze sloupce %1, řádku %2</translation>
    </message>
    <message>
        <source>Put the piece down</source>
        <translation>Dílek položen</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>Usage: morvik [OPTION]
%1.
The music and the sound effects are read from the folder the game is started in:
ST.Mid, move.wav, no.wav, Yes.wav and done.wav.

  -h, --help     show this help and exit
  -v, --version  show the version and exit

Qt&apos;s own options, such as -platform NAME, are accepted too.
</source>
        <translation>Použití: morvik [VOLBA]
%1.
Hudba a zvukové efekty se čtou ze složky, ve které byla hra spuštěna:
ST.Mid, move.wav, no.wav, Yes.wav a done.wav.

  -h, --help     vypíše tuto nápovědu a skončí
  -v, --version  vypíše verzi a skončí

Přijímají se i vlastní volby Qt, například -platform NÁZEV.
</translation>
    </message>
    <message>
        <source>morvik: unknown argument &apos;%1&apos; (see morvik --help)</source>
        <translation>morvik: neznámý argument „%1“ (viz morvik --help)</translation>
    </message>
    <message>
        <source>morvik: unknown option &apos;%1&apos; (see morvik --help)</source>
        <translation>morvik: neznámá volba „%1“ (viz morvik --help)</translation>
    </message>
    <message>
        <source>morvik: option &apos;%1&apos; needs a value (see morvik --help)</source>
        <translation>morvik: volba „%1“ potřebuje hodnotu (viz morvik --help)</translation>
    </message>
</context>
<context>
    <name>Release</name>
    <message>
        <source>Put fifteen pictures back together, sliding or piece by piece</source>
        <translation>Složte znovu patnáct obrázků, posouváním nebo dílek po dílku</translation>
    </message>
</context>
<context>
    <name>Sound</name>
    <message>
        <source>morvik: no audio module (%1); the game runs silently</source>
        <translation>morvik: chybí zvukový modul (%1); hra poběží bez zvuku</translation>
    </message>
    <message>
        <source>morvik: cannot play %1: %2</source>
        <translation>morvik: nelze přehrát %1: %2</translation>
    </message>
    <message>
        <source>morvik: command &quot;%1&quot;: unknown; the commands are play and stop</source>
        <translation>morvik: příkaz „%1“: neznámý; příkazy jsou play a stop</translation>
    </message>
    <message>
        <source>morvik: position %1: unsupported; only 0, the start, is</source>
        <translation>morvik: pozice %1: nepodporovaná; podporuje se jen 0, začátek</translation>
    </message>
    <message>
        <source>morvik: the audio device is gone; the game is silent until it is back</source>
        <translation>morvik: zvukové zařízení zmizelo; hra bude bez zvuku, dokud se nevrátí</translation>
    </message>
    <message>
        <source>morvik: the audio device is back (%1)</source>
        <translation>morvik: zvukové zařízení je zpět (%1)</translation>
    </message>
    <message>
        <source>morvik: no audio device (%1); the game is silent until there is one</source>
        <translation>morvik: žádné zvukové zařízení (%1); hra bude bez zvuku, dokud nějaké nebude</translation>
    </message>
    <message>
        <source>morvik: the built-in soundfont cannot be loaded; the music is silent</source>
        <translation>morvik: vestavěný soundfont nelze načíst; hudba nebude hrát</translation>
    </message>
</context>
</TS>
