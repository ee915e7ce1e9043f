<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>AppFolders</name>
    <message>
        <source>Рабочая папка %1 — ссылка, и её не удаётся заменить папкой.</source>
        <translation>The working folder %1 is a link, and it cannot be replaced by a folder.</translation>
    </message>
    <message>
        <source>Не найдена папка пользователя для настроек программы: не заданы ни %1, ни HOME.</source>
        <translation>No user folder for the program&apos;s settings: neither %1 nor HOME is set.</translation>
    </message>
    <message>
        <source>Не удаётся скопировать «%1» в «%2»</source>
        <translation>Cannot copy “%1” to “%2”</translation>
    </message>
</context>
<context>
    <name>BookBuilder</name>
    <message>
        <source>Файл %1 записался бы поверх самого текста.</source>
        <translation>The file %1 would be written over the text itself.</translation>
    </message>
    <message>
        <source>Не выбран профиль телефона.</source>
        <translation>No phone profile is chosen.</translation>
    </message>
    <message>
        <source>Текст слишком велик: не более %1 байт.</source>
        <translation>The text is too large: at most %1 bytes.</translation>
    </message>
    <message>
        <source>Пакет не может носить расширение .jad: описатель записался бы поверх него.</source>
        <translation>The package cannot have the extension .jad: its descriptor would be written over it.</translation>
    </message>
    <message>
        <source>Имя файла книги содержит управляющие символы (перевод строки и т. п.): %1</source>
        <translation>The book&apos;s file name contains control characters (a line break or the like): %1</translation>
    </message>
    <message>
        <source>Создание книги отменено.</source>
        <translation>Book creation cancelled.</translation>
    </message>
    <message>
        <source>В тексте нулевых байтов: %1. Они пропущены и в книге, и в просмотре.</source>
        <translation>Zero bytes in the text: %1. They are left out of the book and the preview alike.</translation>
    </message>
    <message>
        <source>Название книги пусто: телефоны не устанавливают книгу без названия.</source>
        <translation>The book’s title is empty: phones do not install a book without a name.</translation>
    </message>
</context>
<context>
    <name>BookPreviewModel</name>
    <message>
        <source>Страницы считаются…</source>
        <translation>Counting pages…</translation>
    </message>
    <message>
        <source>Страница %1 из %2 · %3 %</source>
        <translation>Page %1 of %2 · %3 %</translation>
    </message>
    <message>
        <source>Страница %1 из %2… · %3 %</source>
        <translation>Page %1 of %2… · %3 %</translation>
    </message>
</context>
<context>
    <name>BookText</name>
    <message>
        <source>Текст не целиком в кодировке %1 и прочитан как %2.</source>
        <translation>The text is not wholly in %1 and was read as %2.</translation>
    </message>
</context>
<context>
    <name>BookVolumes</name>
    <message>
        <source>Удалены тома прежнего деления книги с тем же именем: %1.</source>
        <translation>Volumes of an earlier split of the book with the same name removed: %1.</translation>
    </message>
    <message>
        <source>Название «%1» занимает %2 байт в UTF-8: некоторые телефоны не принимают названия длиннее %3 байт.</source>
        <translation>The name “%1” takes %2 bytes of UTF-8: some phones refuse names longer than %3 bytes.</translation>
    </message>
    <message>
        <source>Шаблон и шрифт книги занимают %1 КБ (%2 байт), а пакет для этого телефона не больше %3 КБ (%4 байт): книга не поместится. Уменьшите шрифт или снимите предел.</source>
        <translation>The template and font of the book take %1 KB (%2 bytes), but a package for this phone is at most %3 KB (%4 bytes): the book will not fit. Make the font smaller or lift the limit.</translation>
    </message>
    <message>
        <source>Пакет для этого телефона не больше %1 КБ, а шаблон и шрифт книги занимают %2 КБ: для текста места не остаётся. Уменьшите шрифт или снимите предел.</source>
        <translation>A package for this phone is at most %1 KB, and the template and font of the book take %2 KB: no room is left for the text. Make the font smaller or lift the limit.</translation>
    </message>
    <message>
        <source>Пакет занимает %1 МБ: большинство телефонов не примут пакет больше 1 МБ. Задайте в профиле телефона предел размера пакета, и книга будет разделена на тома.</source>
        <translation>The package takes %1 MB: most phones refuse a package larger than 1 MB. Set a package limit in the phone’s profile, and the book will be split into volumes.</translation>
    </message>
    <message>
        <source>,</source>
        <translation>.</translation>
    </message>
</context>
<context>
    <name>Books</name>
    <message>
        <source>Книга %1 даёт больше текста, чем может содержать книга её размера (более %2 МБ): она повреждена или сделана, чтобы переполнить диск.</source>
        <translation>The book %1 gives more text than a book of its size can hold (over %2 MB): it is damaged or made to fill the disk.</translation>
    </message>
    <message>
        <source>В книге нет текста: %1</source>
        <translation>The book has no text: %1</translation>
    </message>
    <message>
        <source>Примечания</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>В архиве %1 несколько книг FB2 («%2», «%3»…); выберите архив с одной книгой или распакуйте его.</source>
        <translation>The archive %1 holds several FB2 books (“%2”, “%3”…); choose an archive with one book or unpack it.</translation>
    </message>
    <message>
        <source>В архиве %1 нет книги: ни файла FB2, ни книги EPUB.</source>
        <translation>The archive %1 holds no book: neither an FB2 file nor an EPUB book.</translation>
    </message>
    <message>
        <source>FB2 в ZIP</source>
        <translation>FB2 in ZIP</translation>
    </message>
    <message>
        <source>Книга %1 защищена от копирования (DRM): её текст зашифрован, прочитать его нельзя.</source>
        <translation>The book %1 is copy-protected (DRM): its text is encrypted and cannot be read.</translation>
    </message>
    <message>
        <source>В книге EPUB %1 нет читаемого порядка глав (spine): %2.</source>
        <translation>The EPUB book %1 has no readable chapter order (spine): %2.</translation>
    </message>
    <message>
        <source>нет файла META-INF/container.xml</source>
        <translation>there is no file META-INF/container.xml</translation>
    </message>
    <message>
        <source>файл META-INF/container.xml повреждён</source>
        <translation>the file META-INF/container.xml is damaged</translation>
    </message>
    <message>
        <source>описание книги (OPF) не найдено</source>
        <translation>the book&apos;s description (OPF) is not found</translation>
    </message>
    <message>
        <source>описание книги %1 повреждено (строка %2, позиция %3)</source>
        <translation>the book&apos;s description %1 is damaged (line %2, column %3)</translation>
    </message>
    <message>
        <source>описание книги %1 повреждено</source>
        <translation>the book&apos;s description %1 is damaged</translation>
    </message>
    <message>
        <source>в нём нет ни одной главы</source>
        <translation>it names no chapter</translation>
    </message>
    <message>
        <source>В книге EPUB %1 нет главы «%2», названной в порядке глав.</source>
        <translation>The EPUB book %1 lacks the chapter “%2” named in its chapter order.</translation>
    </message>
    <message>
        <source>Недостаточно памяти для чтения книги %1.</source>
        <translation>Not enough memory to read the book %1.</translation>
    </message>
    <message>
        <source>Книга %1 записана в кодировке «%2», которую программа не знает.</source>
        <translation>The book %1 is written in the encoding “%2”, which the program does not know.</translation>
    </message>
    <message>
        <source>Книга %1 слишком велика для HTML.</source>
        <translation>The book %1 is too large for HTML.</translation>
    </message>
    <message>
        <source>Книгу %1 не удалось разобрать как HTML.</source>
        <translation>The book %1 could not be read as HTML.</translation>
    </message>
    <message>
        <source>Книга %1 повреждена: ошибка XML в строке %2, позиции %3</source>
        <translation>The book %1 is damaged: an XML error at line %2, column %3</translation>
    </message>
    <message>
        <source>Книга %1 повреждена: ошибка XML</source>
        <translation>The book %1 is damaged: an XML error</translation>
    </message>
    <message>
        <source>Архив %1 повреждён или не является архивом ZIP.</source>
        <translation>The archive %1 is damaged or is not a ZIP archive.</translation>
    </message>
    <message>
        <source>Архив %1 повреждён: его оглавление не читается.</source>
        <translation>The archive %1 is damaged: its table of contents cannot be read.</translation>
    </message>
    <message>
        <source>Архив %1 повреждён: файл «%2» в нём не читается.</source>
        <translation>The archive %1 is damaged: the file “%2” in it cannot be read.</translation>
    </message>
    <message>
        <source>Файл «%1» в архиве %2 зашифрован паролем; его нельзя прочитать.</source>
        <translation>The file “%1” in the archive %2 is protected by a password; it cannot be read.</translation>
    </message>
    <message>
        <source>Файл «%1» в архиве %2 больше 2 ГБ после распаковки; такие файлы не читаются.</source>
        <translation>The file “%1” in the archive %2 is larger than 2 GB unpacked; such files are not read.</translation>
    </message>
    <message>
        <source>Файл «%1» в архиве %2 сжат в %3 раз — так сжимаются только архивы-бомбы, не книги; он не читается.</source>
        <translation>The file “%1” in the archive %2 is compressed %3 times: only archive bombs are compressed like that, not books; it is not read.</translation>
    </message>
    <message>
        <source>Файл «%1» в архиве %2 слишком велик (%3 МБ) для одной главы книги.</source>
        <translation>The file “%1” in the archive %2 is too large (%3 MB) for one chapter of a book.</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Чёрный</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>Бордовый</source>
        <translation>Maroon</translation>
    </message>
    <message>
        <source>Зелёный</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>Оливковый</source>
        <translation>Olive</translation>
    </message>
    <message>
        <source>Тёмно-синий</source>
        <translation>Navy</translation>
    </message>
    <message>
        <source>Фиолетовый</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>Сине-зелёный</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>Серый</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>Серебристый</source>
        <translation>Silver</translation>
    </message>
    <message>
        <source>Красный</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>Лайм</source>
        <translation>Lime</translation>
    </message>
    <message>
        <source>Жёлтый</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>Синий</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>Фуксия</source>
        <translation>Fuchsia</translation>
    </message>
    <message>
        <source>Голубой</source>
        <translation>Aqua</translation>
    </message>
    <message>
        <source>Белый</source>
        <translation>White</translation>
    </message>
    <message>
        <source>Шрифт</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Другой…</source>
        <translation>Other…</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Цвет:</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>Особый</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Сохранить как</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>Цвет</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>Да</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>FileErrors</name>
    <message>
        <source>Не удаётся открыть файл «%1»</source>
        <translation>Cannot open file “%1”</translation>
    </message>
    <message>
        <source>Не удаётся создать файл «%1»</source>
        <translation>Cannot create file “%1”</translation>
    </message>
    <message>
        <source>Не удаётся записать файл «%1»</source>
        <translation>Unable to write to “%1”</translation>
    </message>
    <message>
        <source>«%1» — не обычный файл, а канал, устройство или сокет</source>
        <translation>“%1” is not a regular file but a pipe, device or socket</translation>
    </message>
    <message>
        <source>Ошибка чтения файла</source>
        <translation>Stream read error</translation>
    </message>
    <message>
        <source>Не удаётся создать папку «%1»</source>
        <translation>Cannot create folder “%1”</translation>
    </message>
    <message>
        <source>Ошибка файловой системы</source>
        <translation>File system error</translation>
    </message>
    <message>
        <source>Ошибка файловой системы: «%1»</source>
        <translation>File system error: “%1”</translation>
    </message>
    <message>
        <source>Недостаточно памяти</source>
        <translation>Out of memory</translation>
    </message>
</context>
<context>
    <name>FontStrip</name>
    <message>
        <source>Сумма подрезок должна быть меньше высоты шрифта.</source>
        <translation>The two cuts together must be less than the height of the font.</translation>
    </message>
    <message>
        <source>Строка шрифта получается высотой %1 точек, больше %2: уменьшите шрифт или подрезку.</source>
        <translation>The font strip would be %1 pixels high, more than %2: make the font or the cut smaller.</translation>
    </message>
    <message>
        <source>Строка шрифта получается шириной %1 точек, больше %2: уменьшите шрифт.</source>
        <translation>The font strip would be %1 pixels wide, more than %2: make the font smaller.</translation>
    </message>
</context>
<context>
    <name>HelpText</name>
    <message>
        <source>Автором программы-генератора и мидлета является команда Lumira&lt;BR&gt;</source>
        <translation>The generator and the midlet are made by the Lumira team&lt;BR&gt;</translation>
    </message>
    <message>
        <source>С вопросами, пожеланиями и баг-репортами обращаться на e-mail: </source>
        <translation>Questions, wishes and bug reports are welcome by e-mail: </translation>
    </message>
    <message>
        <source>В качестве основы мидлета были использованы исходные тексты Lumira </source>
        <translation>The midlet is based on the source code of Lumira </translation>
    </message>
    <message>
        <source>&lt;B&gt;&lt;A href=&quot;get_updates&quot;&gt;Проверить наличие обновлений на сайте&lt;/A&gt;&lt;/B&gt;</source>
        <translation>&lt;B&gt;&lt;A href=&quot;get_updates&quot;&gt;Check the web site for updates&lt;/A&gt;&lt;/B&gt;</translation>
    </message>
    <message>
        <source> (требуется подключение к Интернет)&lt;/FONT&gt;&lt;/P&gt;&lt;BR&gt;</source>
        <translation> (needs an Internet connection)&lt;/FONT&gt;&lt;/P&gt;&lt;BR&gt;</translation>
    </message>
    <message>
        <source>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;Новости данной версии программы:&lt;/FONT&gt;&lt;/P&gt;</source>
        <translation>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;New in this version:&lt;/FONT&gt;&lt;/P&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Исправлена ошибка генератора: не удалялся текст, оставшийся от формирования предыдущей книги.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;Fixed in the generator: the text left from the previous book was not removed.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;Новости версии 1.0.3a&lt;/FONT&gt;&lt;/P&gt;</source>
        <translation>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;New in version 1.0.3a&lt;/FONT&gt;&lt;/P&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Исправлена ошибка нечеткой реакции мидлета на нажатие клавиш&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;Fixed: the midlet did not always respond to key presses&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Исправлена ошибка в форматировании текста&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;Fixed an error in text formatting&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;Новости версии 1.0.0a:&lt;/FONT&gt;&lt;/P&gt;</source>
        <translation>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;New in version 1.0.0a:&lt;/FONT&gt;&lt;/P&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;В мидлете слегка увеличена скорость отрисовки текста&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;The midlet draws text a little faster&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;В генератор добавлена функция создания/редактирования профилей под любое устройство, </source>
        <translation>&lt;LI&gt;The generator can create and edit profiles for any device </translation>
    </message>
    <message>
        <source>поддерживающее MIDP-2.0&lt;/LI&gt;</source>
        <translation>that supports MIDP-2.0&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;Новости версии 0.9.6:&lt;/FONT&gt;&lt;/P&gt;</source>
        <translation>&lt;P align=&quot;center&quot;&gt;&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;New in version 0.9.6:&lt;/FONT&gt;&lt;/P&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Улучшен алгоритм генерации шрифта, что дает несколько меньший объем файла на выходе&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;A better font generation, which makes the output file somewhat smaller&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Исправлены ошибки алгоритма генерации шрифта.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;Fixed errors in font generation.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Исправлены ошибки с неверным запоминанием путей в окнах открытия файла текста и </source>
        <translation>&lt;LI&gt;Fixed errors in remembering the folders of the windows for opening the text and </translation>
    </message>
    <message>
        <source>сохранения мидлета.&lt;/LI&gt;</source>
        <translation>saving the midlet.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Исправлены ошибки в расстановке переносов.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;Fixed errors in hyphenation.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>Как сделать книгу</source>
        <translation>How to make a book</translation>
    </message>
    <message>
        <source>&lt;UL&gt;&lt;LI&gt;&lt;B&gt;Текст&lt;/B&gt;: кнопка «…» выбирает файл — простой текст (Windows-1251, UTF-8, UTF-16, KOI8-R, CP866; кнопка рядом задаёт кодировку, «Авто» определяет её сама), книгу FB2 (и FB2 в ZIP), EPUB или HTML. Стрелка на кнопке «…» открывает десять недавних текстов. Файл можно и перетащить на окно, и назвать при запуске: lumira ФАЙЛ.&lt;/LI&gt;</source>
        <translation>&lt;UL&gt;&lt;LI&gt;&lt;B&gt;Text&lt;/B&gt;: the “…” button chooses the file — a plain text (Windows-1251, UTF-8, UTF-16, KOI8-R, CP866; the button beside it sets the encoding, “Auto” finds it by itself), an FB2 book (FB2 in ZIP too), EPUB or HTML. The arrow on the “…” button opens the ten recent texts. A file can also be dropped onto the window, or named at start: lumira FILE.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Название&lt;/B&gt; — так книга будет называться в телефоне (до 20 символов).&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Title&lt;/B&gt; — the name of the book on the phone (up to 20 characters).&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Профиль&lt;/B&gt; — ваш телефон: размер экрана, коды программных клавиш и действия джойстика. Нет вашего телефона — добавьте его кнопкой «Профили».&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Profile&lt;/B&gt; — your phone: its screen size, the codes of its soft keys and what the joystick does. If your phone is missing, add it with “Profiles”.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Шрифт&lt;/B&gt;, &lt;B&gt;Фон&lt;/B&gt; и &lt;B&gt;Подрезка&lt;/B&gt; задают вид текста. Предпросмотр справа показывает страницу такой, какой её покажет телефон; кнопки под ним листают страницы и включают системную полосу.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Font&lt;/B&gt;, &lt;B&gt;Background&lt;/B&gt; and &lt;B&gt;Cut&lt;/B&gt; set how the text looks. The preview on the right shows a page as the phone will show it; the buttons under it turn the pages and switch the system line on or off.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Создать&lt;/B&gt; спрашивает, куда сохранить книгу, и записывает два файла: книга.jar (сама книга с читалкой) и книга.jad (её описание).&lt;/LI&gt;&lt;/UL&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Create&lt;/B&gt; asks where to save the book and writes two files: book.jar (the book with its reader) and book.jad (its description).&lt;/LI&gt;&lt;/UL&gt;</translation>
    </message>
    <message>
        <source>Как перенести книгу в телефон</source>
        <translation>How to copy the book to a phone</translation>
    </message>
    <message>
        <source>&lt;UL&gt;&lt;LI&gt;&lt;B&gt;По кабелю&lt;/B&gt;: подключите телефон к компьютеру как съёмный диск (или программой для вашего телефона), скопируйте файл .jar в его память или на карту — обычно в папку для Java-приложений или игр. Затем на телефоне откройте этот файл в диспетчере файлов и согласитесь установить приложение.&lt;/LI&gt;</source>
        <translation>&lt;UL&gt;&lt;LI&gt;&lt;B&gt;By cable&lt;/B&gt;: connect the phone to the computer as a removable disk (or with the program for your phone), copy the .jar file to its memory or card — usually into the folder for Java applications or games. Then open that file in the phone&apos;s file manager and agree to install the application.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;По Bluetooth&lt;/B&gt;: включите Bluetooth на телефоне и на компьютере, отправьте файл .jar на телефон (в диспетчере файлов: «Отправить» — «Bluetooth»). Телефон примет его как сообщение и предложит установить.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;By Bluetooth&lt;/B&gt;: switch Bluetooth on on the phone and on the computer and send the .jar file to the phone (in the file manager: “Send” — “Bluetooth”). The phone receives it as a message and offers to install it.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Некоторые телефоны устанавливают книгу из файла .jad: тогда скопируйте оба файла в одну папку и откройте .jad.&lt;/LI&gt;&lt;/UL&gt;</source>
        <translation>&lt;LI&gt;Some phones install the book from the .jad file: then copy both files into one folder and open the .jad.&lt;/LI&gt;&lt;/UL&gt;</translation>
    </message>
    <message>
        <source>Клавиши читалки</source>
        <translation>The reader&apos;s keys</translation>
    </message>
    <message>
        <source>&lt;UL&gt;&lt;LI&gt;&lt;B&gt;Джойстик&lt;/B&gt; листает книгу так, как задано в профиле телефона (раздел «Раскладка»). Обычно вверх — экран назад, вниз — экран вперёд, влево — строка назад, вправо — строка вперёд.&lt;/LI&gt;</source>
        <translation>&lt;UL&gt;&lt;LI&gt;The &lt;B&gt;joystick&lt;/B&gt; turns the book as the phone&apos;s profile says (its “Key actions” part). Usually up is a screen back, down a screen forward, left a line back, right a line forward.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Левая программная клавиша&lt;/B&gt; (или клавиша меню из профиля) открывает меню.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;The &lt;B&gt;left soft key&lt;/B&gt; (or the menu key of the profile) opens the menu.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Правая программная клавиша&lt;/B&gt; закрывает читалку; в меню она возвращает назад.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;The &lt;B&gt;right soft key&lt;/B&gt; closes the reader; in the menu it goes back.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;В меню вверх и вниз выбирают пункт, центральная клавиша джойстика или левая программная выполняют его.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;In the menu, up and down choose an item; the joystick&apos;s centre key or the left soft key carries it out.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;Читалка сама запоминает место: при следующем запуске книга откроется там, где вы остановились.&lt;/LI&gt;&lt;/UL&gt;</source>
        <translation>&lt;LI&gt;The reader keeps your place by itself: next time the book opens where you stopped.&lt;/LI&gt;&lt;/UL&gt;</translation>
    </message>
    <message>
        <source>Меню читалки</source>
        <translation>The reader&apos;s menu</translation>
    </message>
    <message>
        <source>&lt;UL&gt;&lt;LI&gt;&lt;B&gt;Перейти к…&lt;/B&gt; — на место книги в процентах: цифры набирают число, влево и вправо меняют его на 1 %, вверх и вниз — на 10 %, центральная клавиша переходит; 100 % — последняя страница, как в просмотре.&lt;/LI&gt;</source>
        <translation>&lt;UL&gt;&lt;LI&gt;&lt;B&gt;Go to…&lt;/B&gt; — a place in the book in per cent: the digits type the number, left and right change it by 1 %, up and down by 10 %, the centre key goes there; 100 % is the last page, as in the preview.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Содержание&lt;/B&gt; — есть, когда у книги есть заголовки (главы FB2, EPUB, HTML или строки вроде «Глава 5» в простом тексте): список открывается на читаемой главе, выбор показывает страницу, которая начинается с заголовка, — ту же, что просмотр.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Contents&lt;/B&gt; — there when the book has titles (chapters of an FB2, EPUB or HTML book, or lines like “Chapter 5” in a plain text): the list opens at the chapter being read, and choosing a title shows the page that begins with it — the same page as the preview.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Системная полоса&lt;/B&gt; — показать или скрыть полосу с часами и долей прочитанного.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;System line&lt;/B&gt; — shows or hides the line with the clock and how much has been read.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Закладки&lt;/B&gt; — первая строка «Добавить закладку» отмечает открытую страницу (до 32 закладок) и называется её главой или первыми словами страницы и долей прочитанного; выбранную закладку можно «Перейти» или «Удалить».&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Bookmarks&lt;/B&gt; — the first row, “Add bookmark”, marks the page shown (up to 32 bookmarks), named by its chapter or the page&apos;s first words and how much has been read; a bookmark chosen can be gone to (“Go”) or deleted (“Delete”).&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Ночной режим&lt;/B&gt; — цвета текста и фона меняются на обратные; выбор ещё раз возвращает их.&lt;/LI&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Night mode&lt;/B&gt; — the colours of the text and the background are inverted; choosing it again brings them back.&lt;/LI&gt;</translation>
    </message>
    <message>
        <source>&lt;LI&gt;&lt;B&gt;Выход&lt;/B&gt; — закрыть читалку.&lt;/LI&gt;&lt;/UL&gt;</source>
        <translation>&lt;LI&gt;&lt;B&gt;Exit&lt;/B&gt; — closes the reader.&lt;/LI&gt;&lt;/UL&gt;</translation>
    </message>
    <message>
        <source>Тома</source>
        <translation>Volumes</translation>
    </message>
    <message>
        <source>Некоторые телефоны не устанавливают приложения больше определённого размера. Задайте его в профиле телефона («Предел пакета, КБ»): книга больше предела делится по возможности по концам абзацев на тома — книга_1.jar, книга_2.jar… с названиями «Название 1», «Название 2»…. Каждый том — отдельная книга; перенесите в телефон все тома.</source>
        <translation>Some phones do not install applications above a certain size. Set it in the phone&apos;s profile (“Package limit, KB”): a book above the limit is split into volumes, at paragraph ends where possible — book_1.jar, book_2.jar… titled “Title 1”, “Title 2”…. Each volume is a book of its own; copy all the volumes to the phone.</translation>
    </message>
</context>
<context>
    <name>Hyphenator</name>
    <message>
        <source>Словарь переносов %1 не найден или не читается. Установите пакет %2 или выберите переносы «простые».</source>
        <translation>The hyphenation dictionary %1 is missing or cannot be read. Install the package %2 or choose &quot;simple&quot; hyphenation.</translation>
    </message>
</context>
<context>
    <name>KeyAction</name>
    <message>
        <source>Назад на одну строку</source>
        <translation>Back one line</translation>
    </message>
    <message>
        <source>Назад на полэкрана</source>
        <translation>Back half a screen</translation>
    </message>
    <message>
        <source>Назад на экран</source>
        <translation>Back one screen</translation>
    </message>
    <message>
        <source>Вперед на одну строку</source>
        <translation>Forward one line</translation>
    </message>
    <message>
        <source>Вперед на полэкрана</source>
        <translation>Forward half a screen</translation>
    </message>
    <message>
        <source>Вперед на экран</source>
        <translation>Forward one screen</translation>
    </message>
</context>
<context>
    <name>PageIndex</name>
    <message>
        <source>Текст слишком велик для просмотра страниц.</source>
        <translation>The text is too large to show its pages.</translation>
    </message>
    <message>
        <source>Непредвиденная ошибка при подсчёте страниц.</source>
        <translation>Unexpected error while counting pages.</translation>
    </message>
</context>
<context>
    <name>PagePainter</name>
    <message>
        <source>Картинка «%1» повреждена: это не точечный рисунок BMP.</source>
        <translation>Bitmap image is not valid: “%1”</translation>
    </message>
</context>
<context>
    <name>PngWriter</name>
    <message>
        <source>Не хватает памяти, чтобы сжать картинку в PNG.</source>
        <translation>Not enough memory to compress the picture as PNG.</translation>
    </message>
    <message>
        <source>Сжатие картинки в PNG не удалось (ошибка zlib).</source>
        <translation>Compressing the picture as PNG failed (a zlib error).</translation>
    </message>
    <message>
        <source>Картинка пуста: из неё не сделать PNG.</source>
        <translation>The picture is empty: no PNG can be made of it.</translation>
    </message>
</context>
<context>
    <name>ProfileName</name>
    <message>
        <source>Название профиля не может содержать перевод строки.</source>
        <translation>A profile name cannot contain a line break.</translation>
    </message>
    <message>
        <source>Название профиля не может содержать символ «]».</source>
        <translation>A profile name cannot contain the character &quot;]&quot;.</translation>
    </message>
    <message>
        <source>Название профиля не может начинаться или заканчиваться пробелом.</source>
        <translation>A profile name cannot begin or end with a blank.</translation>
    </message>
    <message>
        <source>Название профиля не может содержать нулевой символ.</source>
        <translation>A profile name cannot contain a null character.</translation>
    </message>
    <message>
        <source>Название профиля содержит символы, которых нет в кодировке Windows-1251.</source>
        <translation>The profile name has characters that Windows-1251 lacks.</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>config.ini: %1=%2 вне пределов %3..%4, взято %5.</source>
        <translation>config.ini: %1=%2 is outside %3..%4; %5 is used.</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Программа уже запущена из этой папки.</source>
        <translation>The program is already running from this folder.</translation>
    </message>
    <message>
        <source>Не удаётся создать файл %1, который не даёт запустить вторую копию программы из этой папки. Проверьте, что в папку программы можно записывать.</source>
        <translation>Cannot create the file %1, which keeps a second copy of the program from starting from this folder. Check that the program folder can be written.</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>нет такого файла или папки</source>
        <translation>No such file or directory</translation>
    </message>
    <message>
        <source>отказано в доступе</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>операция не разрешена</source>
        <translation>Operation not permitted</translation>
    </message>
    <message>
        <source>файловая система только для чтения</source>
        <translation>Read-only file system</translation>
    </message>
    <message>
        <source>на устройстве не осталось места</source>
        <translation>No space left on device</translation>
    </message>
    <message>
        <source>превышена дисковая квота</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>файл слишком велик</source>
        <translation>File too large</translation>
    </message>
    <message>
        <source>это папка</source>
        <translation>Is a directory</translation>
    </message>
    <message>
        <source>часть пути не является папкой</source>
        <translation>Not a directory</translation>
    </message>
    <message>
        <source>файл уже существует</source>
        <translation>File exists</translation>
    </message>
    <message>
        <source>слишком много открытых файлов</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>слишком много открытых файлов в системе</source>
        <translation>Too many open files in system</translation>
    </message>
    <message>
        <source>слишком длинное имя файла</source>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>слишком много символических ссылок подряд</source>
        <translation>Too many levels of symbolic links</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода</source>
        <translation>Input/output error</translation>
    </message>
    <message>
        <source>устройство или ресурс заняты</source>
        <translation>Device or resource busy</translation>
    </message>
    <message>
        <source>файл занят</source>
        <translation>Text file busy</translation>
    </message>
    <message>
        <source>недостаточно памяти</source>
        <translation>Cannot allocate memory</translation>
    </message>
    <message>
        <source>недопустимый аргумент</source>
        <translation>Invalid argument</translation>
    </message>
</context>
<context>
    <name>TextEncoding</name>
    <message>
        <source>Авто</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Текст не читается как %1: неверная последовательность байтов в позиции %2.</source>
        <translation>The text cannot be read as %1: invalid byte sequence at position %2.</translation>
    </message>
    <message>
        <source>Символов, которых нет в кодировке Windows-1251, заменено на «?»: %1 (первый — «%2», строка %3, позиция %4).</source>
        <translation>Characters that Windows-1251 lacks replaced by &quot;?&quot;: %1 (the first &quot;%2&quot;, line %3, position %4).</translation>
    </message>
</context>
<context>
    <name>TextKind</name>
    <message>
        <source>документ PDF</source>
        <translation>a PDF document</translation>
    </message>
    <message>
        <source>книга MOBI</source>
        <translation>a MOBI book</translation>
    </message>
    <message>
        <source>книга Palm (PDB)</source>
        <translation>a Palm book (PDB)</translation>
    </message>
    <message>
        <source>документ DjVu</source>
        <translation>a DjVu document</translation>
    </message>
    <message>
        <source>справка CHM</source>
        <translation>a CHM help file</translation>
    </message>
    <message>
        <source>документ Microsoft Office</source>
        <translation>a Microsoft Office document</translation>
    </message>
    <message>
        <source>изображение PNG</source>
        <translation>a PNG image</translation>
    </message>
    <message>
        <source>изображение JPEG</source>
        <translation>a JPEG image</translation>
    </message>
    <message>
        <source>изображение GIF</source>
        <translation>a GIF image</translation>
    </message>
    <message>
        <source>изображение TIFF</source>
        <translation>a TIFF image</translation>
    </message>
    <message>
        <source>архив RAR</source>
        <translation>a RAR archive</translation>
    </message>
    <message>
        <source>архив 7-Zip</source>
        <translation>a 7-Zip archive</translation>
    </message>
    <message>
        <source>сжатый файл gzip</source>
        <translation>a gzip-compressed file</translation>
    </message>
    <message>
        <source>сжатый файл xz</source>
        <translation>an xz-compressed file</translation>
    </message>
    <message>
        <source>сжатый файл zstd</source>
        <translation>a zstd-compressed file</translation>
    </message>
    <message>
        <source>программа</source>
        <translation>a program</translation>
    </message>
    <message>
        <source>изображение WebP</source>
        <translation>a WebP image</translation>
    </message>
    <message>
        <source>сжатый файл bzip2</source>
        <translation>a bzip2-compressed file</translation>
    </message>
    <message>
        <source>одни нулевые байты</source>
        <translation>nothing but zero bytes</translation>
    </message>
    <message>
        <source>двоичные данные</source>
        <translation>binary data</translation>
    </message>
    <message>
        <source>Файл %1 — не текст (%2): книгу из него не сделать.</source>
        <translation>The file %1 is not a text (%2): no book can be made of it.</translation>
    </message>
</context>
<context>
    <name>TextSource</name>
    <message>
        <source>Кодировка определена автоматически: %1.</source>
        <translation>Encoding detected automatically: %1.</translation>
    </message>
</context>
<context>
    <name>UpdateCheck</name>
    <message>
        <source>&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;Обновлений не обнаружено&lt;/a&gt;&lt;/font&gt;</source>
        <translation>&lt;FONT size=&quot;12&quot; face=&quot;Tahoma&quot;&gt;No updates found&lt;/a&gt;&lt;/font&gt;</translation>
    </message>
    <message>
        <source>&quot;&gt;Новая версия: </source>
        <translation>&quot;&gt;New version: </translation>
    </message>
</context>
<context>
    <name>ZipArchive</name>
    <message>
        <source>Слишком много файлов для архива %1: не более %2.</source>
        <translation>Too many files for the archive %1: at most %2.</translation>
    </message>
    <message>
        <source>Архив %1 получился бы больше 4 ГБ.</source>
        <translation>The archive %1 would be larger than 4 GB.</translation>
    </message>
    <message>
        <source>Архив %1 содержит недопустимое имя: %2</source>
        <translation>The archive %1 holds a name that is not allowed: %2</translation>
    </message>
    <message>
        <source>Архив %1: запись %2 ведёт через символическую ссылку.</source>
        <translation>The archive %1: the entry %2 leads through a symbolic link.</translation>
    </message>
    <message>
        <source>Не найден файл %1</source>
        <translation>File not found: %1</translation>
    </message>
    <message>
        <source>Архив %1 распаковывается больше чем в %2 байт: он повреждён.</source>
        <translation>The archive %1 unpacks to more than %2 bytes: it is damaged.</translation>
    </message>
</context>
<context>
    <name>lumira-cli</name>
    <message>
        <source>Ключ --max-jar-size относится к созданию книги, а не к проверке страниц.</source>
        <translation>--max-jar-size is for making books, not for checking pages.</translation>
    </message>
    <message>
        <source>том %1 из %2: %3, %4 байт, «%5»</source>
        <translation>volume %1 of %2: %3, %4 bytes, “%5”</translation>
    </message>
    <message>
        <source>Папка для пакета не найдена: %1</source>
        <translation>The folder for the package was not found: %1</translation>
    </message>
    <message>
        <source>Ключ --out называет папку, а не файл пакета: %1</source>
        <translation>The option --out names a folder, not a package file: %1</translation>
    </message>
    <message>
        <source>Папка для пакетов не найдена: %1</source>
        <translation>The folder for the packages was not found: %1</translation>
    </message>
    <message>
        <source>Название книги пусто (имя файла не даёт его): задайте название ключом --title.</source>
        <translation>The book&apos;s title is empty (the file name gives none): give a title with --title.</translation>
    </message>
    <message>
        <source>Пакет %1 уже создан в этом запуске из другого текста с тем же именем.</source>
        <translation>The package %1 was already made in this run from another text of the same name.</translation>
    </message>
    <message>
        <source>Папка программы не найдена: %1</source>
        <translation>The program folder was not found: %1</translation>
    </message>
    <message>
        <source> (подрезка сверху %1, снизу %2)</source>
        <translation> (cut at top %1, at bottom %2)</translation>
    </message>
    <message>
        <source>Профиль «%1» не найден в profiles.ini.</source>
        <translation>The profile &quot;%1&quot; is not in profiles.ini.</translation>
    </message>
    <message>
        <source> Профилей нет.</source>
        <translation> There are no profiles.</translation>
    </message>
    <message>
        <source> Есть профили:</source>
        <translation> The profiles are:</translation>
    </message>
    <message>
        <source>Профиль: %1; экран %2x%3; шрифт: %4, %5</source>
        <translation>Profile: %1; screen %2x%3; font: %4, %5</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>none</translation>
    </message>
    <message>
        <source>, жирный</source>
        <translation>, bold</translation>
    </message>
    <message>
        <source>, курсив</source>
        <translation>, italic</translation>
    </message>
    <message>
        <source>, подчёркнутый</source>
        <translation>, underlined</translation>
    </message>
    <message>
        <source>; подрезка %1/%2; системная полоса %3; кодировка </source>
        <translation>; cuts %1/%2; system line %3; encoding </translation>
    </message>
    <message>
        <source>вверху</source>
        <translation>at the top</translation>
    </message>
    <message>
        <source>внизу</source>
        <translation>at the bottom</translation>
    </message>
    <message>
        <source>не выбрана</source>
        <translation>not chosen</translation>
    </message>
    <message>
        <source>Страницы %1 нет: текст занимает %2 стр.</source>
        <translation>There is no page %1: the text takes %2 pages.</translation>
    </message>
    <message>
        <source>Прервано.</source>
        <translation>Interrupted.</translation>
    </message>
    <message>
        <source>Переносы по словарям %1 (язык каждого слова — по его буквам).</source>
        <translation>Hyphenation by the dictionaries %1 (each word&apos;s language by its letters).</translation>
    </message>
    <message>
        <source>Переносы по словарям %1 (язык книги: %2).</source>
        <translation>Hyphenation by the dictionaries %1 (the book&apos;s language: %2).</translation>
    </message>
    <message>
        <source>Справка: lumira-cli --help</source>
        <translation>Help: lumira-cli --help</translation>
    </message>
    <message>
        <source>Неверное значение %1 «%2»: нужно целое число от %3 до %4.</source>
        <translation>Wrong value of %1 &quot;%2&quot;: a whole number from %3 to %4 is needed.</translation>
    </message>
    <message>
        <source>Неверный цвет %1 «%2»: нужен вид #RRGGBB.</source>
        <translation>Wrong colour %1 &quot;%2&quot;: the form #RRGGBB is needed.</translation>
    </message>
    <message>
        <source>Неверное значение %1 «%2»: нужно top или bottom.</source>
        <translation>Wrong value of %1 &quot;%2&quot;: top or bottom is needed.</translation>
    </message>
    <message>
        <source>Неверное значение %1 «%2»: нужно dictionary или simple.</source>
        <translation>Wrong value of %1 &quot;%2&quot;: dictionary or simple is needed.</translation>
    </message>
    <message>
        <source>Неизвестная кодировка %1 «%2»: нужна одна из %3.</source>
        <translation>Unknown encoding %1 &quot;%2&quot;: one of %3 is needed.</translation>
    </message>
    <message>
        <source>Неизвестный язык %1 «%2»: нужен ru или en.</source>
        <translation>Unknown language %1 &quot;%2&quot;: ru or en is needed.</translation>
    </message>
    <message>
        <source>Пустое значение %1.</source>
        <translation>Empty value of %1.</translation>
    </message>
    <message>
        <source>Ключ %1 не принимает значения.</source>
        <translation>The option %1 takes no value.</translation>
    </message>
    <message>
        <source>Неизвестный ключ %1.</source>
        <translation>Unknown option %1.</translation>
    </message>
    <message>
        <source>Ключу %1 нужно значение.</source>
        <translation>The option %1 needs a value.</translation>
    </message>
    <message>
        <source>Ключу --preview нужен ключ --png ФАЙЛ.</source>
        <translation>The option --preview needs the option --png FILE.</translation>
    </message>
    <message>
        <source>Не указан ни один текст.</source>
        <translation>No text is given.</translation>
    </message>
    <message>
        <source>Ключи --out и --out-dir не совместимы.</source>
        <translation>The options --out and --out-dir cannot be used together.</translation>
    </message>
    <message>
        <source>Страницы показываются для одного текста за раз.</source>
        <translation>Pages are shown for one text at a time.</translation>
    </message>
    <message>
        <source>Ключи --dump-pages, --pages, --toc и --preview не создают книгу: --out и --out-dir с ними не совместимы.</source>
        <translation>The options --dump-pages, --pages, --toc and --preview make no book: --out and --out-dir cannot be used with them.</translation>
    </message>
    <message>
        <source>В тексте нет содержания: ни заголовков книги, ни строк, похожих на заголовки глав.</source>
        <translation>The text has no contents: neither a book&apos;s titles nor lines that look like chapter headings.</translation>
    </message>
    <message>
        <source>%1%2 … стр. %3</source>
        <translation>%1%2 … p. %3</translation>
    </message>
    <message>
        <source>Ключ --out задаёт пакет одного текста; для нескольких текстов служит --out-dir.</source>
        <translation>The option --out names the package of one text; for several texts use --out-dir.</translation>
    </message>
    <message>
        <source>Ключ --title задаёт название одной книги; у нескольких текстов названия берутся из имён файлов.</source>
        <translation>The option --title names one book; several texts take their titles from their file names.</translation>
    </message>
    <message>
        <source>Неверное значение %1 «%2»: нужен номер страницы (с 1) или доля текста от 0% до 100%.</source>
        <translation>Invalid value %1 “%2”: a page number (from 1) or a share of the text from 0% to 100% is needed.</translation>
    </message>
    <message>
        <source>Страница %1 из %2 · %3 %</source>
        <translation>Page %1 of %2 · %3 %</translation>
    </message>
    <message>
        <source> — готово</source>
        <translation> - done</translation>
    </message>
    <message>
        <source>Использование: lumira-cli [ключи] ТЕКСТ...
Создаёт из текстов книги для телефонов с Java ME (MIDP 2.0): для каждого текста пакет .jar и
описатель .jad рядом с ним. Настройки по умолчанию — те же, что у окна программы: config.ini и
profiles.ini в папке программы, а у установленной программы — в ~/.config/lumira.

Текст:
  --encoding КОДИРОВКА    кодировка текстов: auto (определить по началу текста), cp1251,
                          utf-8, utf-16, koi8-r или cp866; по умолчанию — выбранная в окне,
                          иначе auto. Книга всегда в cp1251: символ, которого в ней нет,
                          становится «?», и их число сообщается для каждого текста.
                          Книги FB2 (и FB2 в ZIP), EPUB и HTML узнаются по содержимому и
                          читаются в объявленной ими кодировке

Книга:
  --title НАЗВАНИЕ        название книги (по умолчанию — название из самой книги FB2, EPUB,
                          HTML, иначе имя файла без расширения; только для одного текста)
  --profile ИМЯ           профиль телефона из profiles.ini, без учёта регистра
  --font ИМЯ              шрифт
  --size ПУНКТЫ           размер шрифта в пунктах (1..200)
  --bold, --italic, --underline          начертание; --no-bold, --no-italic, --no-underline
                          его снимают
  --color #RRGGBB         цвет шрифта
  --background #RRGGBB    цвет фона
  --upper-cut N           подрезка сверху, строк пикселей
  --bottom-cut N          подрезка снизу, строк пикселей
  --sysline top|bottom    системная полоса вверху или внизу
  --hyphenation dictionary|simple        переносы: по словарю языка (русский, английский) или
                          простые, по гласным и согласным; по умолчанию — выбранные в окне
  --max-jar-size КБ       наибольший пакет, который ставит телефон (0 — без предела); по
                          умолчанию — MaxJarSize профиля. Книга больше предела делится на тома
                          ИМЯ_1.jar, ИМЯ_2.jar ... по концам абзацев; о каждом томе выводится
                          строка

Куда:
  --out ПУТЬ.jar          пакет единственного текста
  --out-dir ПАПКА         папка пакетов (по умолчанию — текущая); имя пакета — имя текста
                          латиницей с расширением .jar
  --jobs N                сколько книг создавать одновременно (1..256; по умолчанию — по
                          числу ядер); сообщения о текстах идут в порядке их перечисления
  Папка должна существовать. Пакет и описатель заменяются без вопросов.

Проверка страниц (книга не создаётся, один текст):
  --dump-pages            вывести страницы предпросмотра всего текста в UTF-8: каждая строка
                          в точности как разложена, страницы разделены строкой из одного
                          символа перевода страницы (\f)
  --pages                 вывести число страниц текста
  --toc                   вывести содержание книги (заголовки, вложенные с отступом) с номерами
                          страниц предпросмотра, на которых они начинаются
  --preview N --png ФАЙЛ  нарисовать страницу N (с 1) так, как её показывает окно, в PNG;
                          --preview P% — первую страницу, к концу которой прочитано P %
                          текста (0..100)

Прочее:
  --app-dir ПАПКА         папка с config.ini, profiles.ini, iface.dat и velmar.dat вместо
                          папки программы
  --lang ru|en            язык сообщений; по умолчанию — Language в config.ini, иначе язык
                          системы
  --list-profiles         перечислить профили телефонов
  --verbose               сообщать о каждой книге и тогда, когда вывод не на терминал
  --help                  эта справка
  --version               версия

Коды завершения: 0 — всё создано; 1 — хотя бы один текст не удался (остальные создаются);
2 — ошибка в ключах или настройках, ничего не создано.
</source>
        <translation>Usage: lumira-cli [options] TEXT...
Makes books for phones with Java ME (MIDP 2.0) from texts: for each text a .jar package and
its .jad descriptor beside it. The settings default to those of the program&apos;s window: config.ini
and profiles.ini in the program folder, or in ~/.config/lumira for an installed program.

Text:
  --encoding ENCODING     how the texts are read: auto (told from the text&apos;s beginning), cp1251,
                          utf-8, utf-16, koi8-r or cp866; default: the one chosen in the window,
                          else auto. The book is always cp1251: a character it lacks becomes
                          &quot;?&quot;, and their number is reported for each text.
                          FB2 (also FB2 in ZIP), EPUB and HTML books are told by their content
                          and read in the encoding they declare

Book:
  --title TITLE           the book&apos;s title (default: the title of the FB2, EPUB or HTML book
                          itself, else the file name without its extension; one text only)
  --profile NAME          the phone profile from profiles.ini, matched without regard to case
  --font NAME             the font
  --size POINTS           the font size in points (1..200)
  --bold, --italic, --underline          font style; --no-bold, --no-italic, --no-underline
                          take it away
  --color #RRGGBB         the font colour
  --background #RRGGBB    the background colour
  --upper-cut N           rows of pixels cut from the top of each glyph
  --bottom-cut N          rows of pixels cut from the bottom of each glyph
  --sysline top|bottom    the system line at the top or at the bottom
  --hyphenation dictionary|simple        hyphenation: by the language&apos;s dictionary (Russian,
                          English) or simple, by vowels and consonants; by default the one
                          chosen in the window
  --max-jar-size KB       the largest package the phone installs (0: no limit); by default
                          the profile&apos;s MaxJarSize. A larger book is split into volumes
                          NAME_1.jar, NAME_2.jar ... at paragraph ends; a line is written
                          for each volume

Where:
  --out PATH.jar          the package of the one text
  --out-dir FOLDER        the folder of the packages (default: the current one); each package is
                          named after its text in Latin letters, with the extension .jar
  --jobs N                how many books are made at once (1..256; default: one per core);
                          the messages about the texts come in the order they are listed
  The folder must exist. A package and its descriptor are replaced without asking.

Checking pages (no book is made; one text):
  --dump-pages            write every preview page of the whole text in UTF-8: each line
                          exactly as laid out, pages separated by a line holding a single
                          form feed character (\f)
  --pages                 write the number of pages of the text
  --toc                   write the book&apos;s contents (titles, nested ones indented) with the
                          numbers of the preview pages they begin on
  --preview N --png FILE  draw page N (from 1) as the window shows it, into a PNG file;
                          --preview P% draws the first page by whose end P % of the text
                          has been read (0..100)

Other:
  --app-dir FOLDER        the folder with config.ini, profiles.ini, iface.dat and velmar.dat
                          instead of the program&apos;s
  --lang ru|en            the language of the messages; default: Language in config.ini, else
                          the system&apos;s language
  --list-profiles         list the phone profiles
  --verbose               report on each book also when the output is not a terminal
  --help                  this help
  --version               the version

Exit status: 0 - everything was made; 1 - at least one text failed (the others are still made);
2 - a mistake in the options or the settings, nothing was made.
</translation>
    </message>
    <message>
        <source>Не удаётся записать в стандартный вывод</source>
        <translation>Unable to write to standard output</translation>
    </message>
</context>
<context>
    <name>lumira::CreatePanel</name>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Остановить создание книги</source>
        <translation>Stop making the book</translation>
    </message>
    <message>
        <source>Открыть папку</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>Не удаётся открыть папку: нет файлового менеджера.</source>
        <translation>Cannot open the folder: no file manager.</translation>
    </message>
    <message>
        <source>Книга сохранена: %1 &amp;nbsp;&lt;a href=&quot;folder&quot;&gt;%2&lt;/a&gt;</source>
        <translation>Book saved: %1 &amp;nbsp;&lt;a href=&quot;folder&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Книга сохранена, томов: %1 (%2) &amp;nbsp;&lt;a href=&quot;folder&quot;&gt;%3&lt;/a&gt;</source>
        <translation>Book saved in %1 volumes (%2) &amp;nbsp;&lt;a href=&quot;folder&quot;&gt;%3&lt;/a&gt;</translation>
    </message>
</context>
<context>
    <name>lumira::HelpWindow</name>
    <message>
        <source>Справка</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Не удалось выполнить проверку</source>
        <translation>The check failed</translation>
    </message>
    <message>
        <source>Как пользоваться</source>
        <translation>How to</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>lumira::MainWindow</name>
    <message>
        <source>Масштаб предпросмотра: крупнее Ctrl++, мельче Ctrl+-, 1× Ctrl+0</source>
        <translation>Preview zoom: larger Ctrl++, smaller Ctrl+-, 1× Ctrl+0</translation>
    </message>
    <message>
        <source>по размеру окна</source>
        <translation>fit to window</translation>
    </message>
    <message>
        <source>Содержание</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>Показать или скрыть содержание книги</source>
        <translation>Show or hide the book&apos;s contents</translation>
    </message>
    <message>
        <source>Содержание книги: щелчок показывает страницу заголовка</source>
        <translation>The book&apos;s contents: a click shows the title&apos;s page</translation>
    </message>
    <message>
        <source>Номер страницы или процент: 120, 45 %</source>
        <translation>A page number or a percentage: 120, 45 %</translation>
    </message>
    <message>
        <source>Страницы не считаются: %1</source>
        <translation>The pages cannot be counted: %1</translation>
    </message>
    <message>
        <source>стр. / %</source>
        <translation>page / %</translation>
    </message>
    <message>
        <source>Перейти к странице (номер) или к месту текста (число со знаком %), Enter (Ctrl+G)</source>
        <translation>Go to a page (its number) or a place in the text (a number with %), Enter (Ctrl+G)</translation>
    </message>
    <message>
        <source>Генератор мидлетов Lumira для устройств с поддержкой MIDP-2.0</source>
        <translation>Lumira midlet generator for devices with MIDP-2.0</translation>
    </message>
    <message>
        <source>Основные настройки</source>
        <translation>Main settings</translation>
    </message>
    <message>
        <source>Название</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Профиль</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>Профили</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>Настройки шрифта</source>
        <translation>Font settings</translation>
    </message>
    <message>
        <source>Шрифт</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Фон</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>Подрезка сверху</source>
        <translation>Cut at top</translation>
    </message>
    <message>
        <source>Подрезка снизу</source>
        <translation>Cut at bottom</translation>
    </message>
    <message>
        <source>Дополнительные настройки</source>
        <translation>More settings</translation>
    </message>
    <message>
        <source>Отображать системную полосу</source>
        <translation>Show the system line</translation>
    </message>
    <message>
        <source>Вверху</source>
        <translation>At the top</translation>
    </message>
    <message>
        <source>Переносы</source>
        <translation>Hyphenation</translation>
    </message>
    <message>
        <source>по словарю</source>
        <translation>by dictionary</translation>
    </message>
    <message>
        <source>простые</source>
        <translation>simple</translation>
    </message>
    <message>
        <source>Внизу</source>
        <translation>At the bottom</translation>
    </message>
    <message>
        <source>Создать</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Предпросмотр</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Jar-пакет|*.jar|Все файлы|*.*</source>
        <translation>Jar package|*.jar|All files|*.*</translation>
    </message>
    <message>
        <source>Кодировка текста: %1</source>
        <translation>Text encoding: %1</translation>
    </message>
    <message>
        <source>, определена %1</source>
        <translation>, found %1</translation>
    </message>
    <message>
        <source>Книги и тексты|*.txt;*.fb2;*.zip;*.epub;*.html;*.htm;*.xhtml|Текстовые фалы|*.txt|Все файлы|*.*</source>
        <translation>Books and texts|*.txt;*.fb2;*.zip;*.epub;*.html;*.htm;*.xhtml|Text files|*.txt|All files|*.*</translation>
    </message>
    <message>
        <source>Справка</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Предыдущая страница (PageUp)</source>
        <translation>Previous page (PageUp)</translation>
    </message>
    <message>
        <source>Показать или скрыть системную полосу</source>
        <translation>Show or hide the system line</translation>
    </message>
    <message>
        <source>Следующая страница (PageDown)</source>
        <translation>Next page (PageDown)</translation>
    </message>
    <message>
        <source>Сколько рядов пикселей убрать сверху у строки шрифта, чтобы строки шли плотнее (0–10)</source>
        <translation>How many rows of pixels to cut from the top of each font line, so that the lines lie closer (0–10)</translation>
    </message>
    <message>
        <source>Сколько рядов пикселей убрать снизу у строки шрифта, чтобы строки шли плотнее (0–10)</source>
        <translation>How many rows of pixels to cut from the bottom of each font line, so that the lines lie closer (0–10)</translation>
    </message>
    <message>
        <source>Щёлкните по странице, чтобы листать её клавишами PageUp, PageDown и стрелками</source>
        <translation>Click the page to turn its pages with PageUp, PageDown and the arrow keys</translation>
    </message>
    <message>
        <source>Книга в формате %1</source>
        <translation>A book in %1 format</translation>
    </message>
    <message>
        <source>, кодировку %1 задаёт сама книга</source>
        <translation>, its encoding %1 is set by the book itself</translation>
    </message>
    <message>
        <source> без указанной кодировки: читается как %1 (Alt+↓)</source>
        <translation> without a stated encoding: read as %1 (Alt+↓)</translation>
    </message>
    <message>
        <source>Настройки не сохранены: %1</source>
        <translation>Settings not saved: %1</translation>
    </message>
    <message>
        <source>Книга ещё создаётся. Прервать и закрыть?</source>
        <translation>The book is still being made. Stop and close?</translation>
    </message>
    <message>
        <source>Чтобы создать книгу, введите её название</source>
        <translation>To create the book, enter its title</translation>
    </message>
    <message>
        <source>Чтобы создать книгу, выберите текст</source>
        <translation>To create the book, choose a text</translation>
    </message>
    <message>
        <source>Чтобы создать книгу, выберите текст и введите её название</source>
        <translation>To create the book, choose a text and enter its title</translation>
    </message>
    <message>
        <source>Выбрать текст (Ctrl+O); стрелка — недавние тексты</source>
        <translation>Choose the text (Ctrl+O); the arrow: recent texts</translation>
    </message>
    <message>
        <source>Недавних текстов нет</source>
        <translation>No recent texts</translation>
    </message>
    <message>
        <source>Очистить список</source>
        <translation>Clear the list</translation>
    </message>
    <message>
        <source>Файла «%1» больше нет; он убран из списка недавних текстов.</source>
        <translation>The file “%1” is no longer there; it has been taken off the recent texts.</translation>
    </message>
    <message>
        <source>Название занимает %1 байт в UTF-8: некоторые телефоны не принимают названия длиннее %2 байт.</source>
        <translation>The title takes %1 bytes of UTF-8: some phones refuse names longer than %2 bytes.</translation>
    </message>
</context>
<context>
    <name>lumira::ProfileEditor</name>
    <message>
        <source>Предел пакета, КБ (0 — нет)</source>
        <translation>Package limit, KB (0: none)</translation>
    </message>
    <message>
        <source>Телефон не установит книгу больше этого размера; книга больше предела делится на тома</source>
        <translation>The phone does not install a book larger than this; a larger book is split into volumes</translation>
    </message>
    <message>
        <source>Профили</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>Настройка профилей телефонных аппаратов</source>
        <translation>Phone profile settings</translation>
    </message>
    <message>
        <source>Название профиля</source>
        <translation>Profile name</translation>
    </message>
    <message>
        <source>Экран</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>Ширина</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Высота</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>Клавиши</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>Левая программная клавиша</source>
        <translation>Left soft key</translation>
    </message>
    <message>
        <source>Правая программная клавиша</source>
        <translation>Right soft key</translation>
    </message>
    <message>
        <source>Клавиша меню</source>
        <translation>Menu key</translation>
    </message>
    <message>
        <source>Раскладка</source>
        <translation>Key actions</translation>
    </message>
    <message>
        <source>Вверх</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>Вниз</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>Влево</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>Вправо</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Удалить профиль «%1»?</source>
        <translation>Delete the profile “%1”?</translation>
    </message>
    <message>
        <source>Новый профиль</source>
        <translation>New profile</translation>
    </message>
    <message>
        <source>Новый профиль: задайте название и значения и нажмите «Сохранить»</source>
        <translation>New profile: enter its name and values and press “Save”</translation>
    </message>
    <message>
        <source>Добавить</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
</TS>
