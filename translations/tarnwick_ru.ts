<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AppError</name>
    <message>
        <source>Salesforce CLI was not found. Install it or make sure /opt/homebrew/bin/sf exists.</source>
        <translation>Salesforce CLI не найден. Установите его или проверьте, что /opt/homebrew/bin/sf существует.</translation>
    </message>
    <message>
        <source>Select an org with an alias or username.</source>
        <translation>Выберите организацию с псевдонимом или именем пользователя.</translation>
    </message>
    <message>
        <source>Salesforce CLI did not return an open URL.</source>
        <translation>Salesforce CLI не вернул адрес для открытия.</translation>
    </message>
    <message>
        <source>Google Chrome was not found.</source>
        <translation>Google Chrome не найден.</translation>
    </message>
    <message>
        <source>The Salesforce CLI cannot reach %1: another connection has %1 as its alias, and the CLI looks up aliases first. Rename or remove that alias (sf alias unset %1).</source>
        <translation>Salesforce CLI не может обратиться к %1: у другого подключения псевдоним %1, а CLI сначала ищет псевдонимы. Переименуйте или удалите этот псевдоним (sf alias unset %1).</translation>
    </message>
    <message>
        <source>%1 was not found.</source>
        <translation>%1 не найден.</translation>
    </message>
</context>
<context>
    <name>BrowserChoice</name>
    <message>
        <source>System default</source>
        <translation>Системный браузер</translation>
    </message>
</context>
<context>
    <name>CLIFailure</name>
    <message>
        <source>Log in to the org again: New Connection, with the same alias.</source>
        <translation>Войдите в организацию заново: «Новое подключение» с тем же псевдонимом.</translation>
    </message>
    <message>
        <source>The CLI no longer holds this connection: Refresh to see the list as it is.</source>
        <translation>У CLI больше нет этого подключения: нажмите «Обновить», чтобы увидеть текущий список.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Show this help and exit.</source>
        <translation>Показать эту справку и выйти.</translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation>Показать версию и выйти.</translation>
    </message>
    <message>
        <source>Open the org with this alias or username as the window would, without a window; print one line (OPENED ... or OPEN FAIL: ...) and exit with status 0 or 1.</source>
        <translation>Открыть организацию с этим псевдонимом или именем пользователя, как это сделало бы окно, но без окна; вывести одну строку (OPENED ... или OPEN FAIL: ...) и выйти с кодом 0 или 1.</translation>
    </message>
    <message>
        <source>org</source>
        <translation>организация</translation>
    </message>
    <message>
        <source>target id</source>
        <translation>id цели</translation>
    </message>
    <message>
        <source>With --open: in a private window.</source>
        <translation>С --open: в приватном окне.</translation>
    </message>
    <message>
        <source>With --open: the page to start on: home (the default), setup, object-manager, developer-console, users, deployment-status, debug-logs, flows, or a path of the org that begins with /.</source>
        <translation>С --open: начальная страница: home (по умолчанию), setup, object-manager, developer-console, users, deployment-status, debug-logs, flows или путь в организации, начинающийся с /.</translation>
    </message>
    <message>
        <source>name or path</source>
        <translation>имя или путь</translation>
    </message>
    <message>
        <source>List the targets an org can open in (id, a tab, label) and exit.</source>
        <translation>Перечислить цели, в которых можно открыть организацию (id, табуляция, название), и выйти.</translation>
    </message>
    <message>
        <source>Manages the org connections that the Salesforce CLI (sf) holds: lists them, opens an
org in a browser session without a new login, and creates, deletes, exports and
imports connections. Without options it opens its window.</source>
        <translation>Управляет подключениями к организациям, которые хранит Salesforce CLI (sf): показывает их,
открывает организацию в сеансе браузера без нового входа, создаёт, удаляет, экспортирует
и импортирует подключения. Без параметров открывает своё окно.</translation>
    </message>
    <message>
        <source>List the orgs through sf without a window, print one result line and exit with status 0 (pass) or 1 (fail).</source>
        <translation>Получить список организаций через sf без окна, вывести одну строку результата и выйти с кодом 0 (успех) или 1 (ошибка).</translation>
    </message>
    <message>
        <source>List the orgs, one per line: name, username, instance URL and category, separated by tabs; read from the CLI&apos;s files when it can be, without running sf.</source>
        <translation>Вывести организации, по одной на строку: имя, имя пользователя, адрес экземпляра и категорию через табуляцию; из файлов CLI, когда их можно прочитать, без запуска sf.</translation>
    </message>
    <message>
        <source>With --list: a JSON array instead.</source>
        <translation>С --list: массив JSON вместо строк.</translation>
    </message>
    <message>
        <source>Open the window with this text in its filter.</source>
        <translation>Открыть окно с этим текстом в фильтре.</translation>
    </message>
    <message>
        <source>text</source>
        <translation>текст</translation>
    </message>
    <message>
        <source>Print the completion script for bash, zsh or fish and exit.</source>
        <translation>Вывести сценарий автодополнения для bash, zsh или fish и выйти.</translation>
    </message>
    <message>
        <source>shell</source>
        <translation>оболочка</translation>
    </message>
    <message>
        <source>Answer the desktop&apos;s search (GNOME Shell, KRunner) over D-Bus until a minute passes unasked; the desktop starts it.</source>
        <translation>Отвечать поиску рабочего стола (GNOME Shell, KRunner) по D-Bus, пока минуту не будет вопросов; его запускает рабочий стол.</translation>
    </message>
    <message>
        <source>With --open: the target to open it in (an id that --targets lists); by default where the org was opened last, else the system browser.</source>
        <translation>С --open: где её открыть (идентификатор из списка --targets); по умолчанию там, где организацию открывали в последний раз, иначе в системном браузере.</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>CLI Connections</source>
        <translation>Подключения CLI</translation>
    </message>
    <message>
        <source>Checking connections...</source>
        <translation>Проверка подключений...</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>Import Salesforce Auth JSON</source>
        <translation>Импорт JSON авторизации Salesforce</translation>
    </message>
    <message>
        <source>Plain text (*.txt)</source>
        <translation>Текст (*.txt)</translation>
    </message>
    <message>
        <source>Clean Up...</source>
        <translation>Очистить...</translation>
    </message>
    <message numerus="yes">
        <source>%n expired or deleted scratch orgs are hidden</source>
        <translation>
            <numerusform>Скрыта %n истёкшая или удалённая временная организация</numerusform>
            <numerusform>Скрыты %n истёкшие или удалённые временные организации</numerusform>
            <numerusform>Скрыто %n истёкших или удалённых временных организаций</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove the connections of expired scratch orgs?</source>
        <translation>Удалить подключения истёкших временных организаций?</translation>
    </message>
    <message numerus="yes">
        <source>This removes the local connections of the %n expired or deleted scratch orgs the CLI hides: it runs sf org list --clean, then sf org logout for any that remain. The orgs themselves are not contacted.</source>
        <translation>
            <numerusform>Будет удалено локальное подключение %n истёкшей или удалённой временной организации, которую скрывает CLI: выполняется sf org list --clean, затем sf org logout для оставшихся. К самой организации обращений не будет.</numerusform>
            <numerusform>Будут удалены локальные подключения %n истёкших или удалённых временных организаций, которые скрывает CLI: выполняется sf org list --clean, затем sf org logout для оставшихся. К самим организациям обращений не будет.</numerusform>
            <numerusform>Будут удалены локальные подключения %n истёкших или удалённых временных организаций, которые скрывает CLI: выполняется sf org list --clean, затем sf org logout для оставшихся. К самим организациям обращений не будет.</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove Connections</source>
        <translation>Удалить подключения</translation>
    </message>
    <message>
        <source>Checking connections</source>
        <translation>Проверка подключений</translation>
    </message>
    <message>
        <source>Waiting for the Salesforce CLI to reach each org; the list can be used meanwhile.</source>
        <translation>Ожидание, пока Salesforce CLI свяжется с каждой организацией; списком можно пользоваться.</translation>
    </message>
    <message>
        <source>No connections match “%1”.</source>
        <translation>Нет подключений, подходящих под «%1».</translation>
    </message>
    <message>
        <source>No CLI connections yet.</source>
        <translation>У CLI пока нет подключений.</translation>
    </message>
    <message>
        <source>Create one with New Connection above, or bring one in with Import JSON.</source>
        <translation>Создайте подключение в разделе «Новое подключение» выше или загрузите его кнопкой «Импорт JSON».</translation>
    </message>
    <message>
        <source>Asking the CLI for its list...</source>
        <translation>Запрашиваем список у CLI...</translation>
    </message>
    <message>
        <source>Asking the CLI for its list</source>
        <translation>Запрашиваем список у CLI</translation>
    </message>
    <message>
        <source>Drag to widen the list or the details</source>
        <translation>Потяните, чтобы расширить список или подробности</translation>
    </message>
</context>
<context>
    <name>DetailsPane</name>
    <message>
        <source>Select a CLI connection</source>
        <translation>Выберите подключение CLI</translation>
    </message>
    <message>
        <source>Use Refresh if the list is empty.</source>
        <translation>Если список пуст, нажмите «Обновить».</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Статус</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>Пользователь</translation>
    </message>
    <message>
        <source>Instance URL</source>
        <translation>URL экземпляра</translation>
    </message>
    <message>
        <source>Login URL</source>
        <translation>URL входа</translation>
    </message>
    <message>
        <source>Org ID</source>
        <translation>ID организации</translation>
    </message>
    <message>
        <source>Client</source>
        <translation>Клиент</translation>
    </message>
    <message>
        <source>Open in</source>
        <translation>Открыть в</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Найти снова</translation>
    </message>
    <message>
        <source>Look for browsers and their profiles again</source>
        <translation>Заново найти браузеры и их профили</translation>
    </message>
    <message>
        <source>Private window</source>
        <translation>Приватное окно</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Страница</translation>
    </message>
    <message>
        <source>Custom path...</source>
        <translation>Свой путь...</translation>
    </message>
    <message>
        <source>/lightning/setup/SetupOneHome/home, or a pasted address of the org</source>
        <translation>/lightning/setup/SetupOneHome/home или вставленный адрес организации</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Copy Whole Message</source>
        <translation>Копировать сообщение целиком</translation>
    </message>
    <message>
        <source>The Salesforce CLI cannot reach this org: another connection has %1 as its alias.
Rename or remove that alias to use it.</source>
        <translation>Salesforce CLI не может обратиться к этой организации: у другого подключения псевдоним %1.
Переименуйте или удалите этот псевдоним, чтобы работать с ней.</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>Проверка...</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Неизвестно</translation>
    </message>
    <message>
        <source>Dev Hub</source>
        <translation>Dev Hub</translation>
    </message>
    <message>
        <source>Edition</source>
        <translation>Редакция</translation>
    </message>
    <message>
        <source>Expiry</source>
        <translation>Срок действия</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Подключено</translation>
    </message>
    <message>
        <source>(What the CLI printed: right-click, Copy Whole Message.)</source>
        <translation>(Вывод CLI: правый щелчок, «Копировать сообщение целиком».)</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Forget</source>
        <translation>Забыть</translation>
    </message>
    <message>
        <source>Stop remembering where this org opens</source>
        <translation>Больше не запоминать, где открывается эта организация</translation>
    </message>
</context>
<context>
    <name>DisplayText</name>
    <message numerus="yes">
        <source>
... (%n more characters: right-click to copy the whole message)</source>
        <translation>
            <numerusform>
... (ещё %n символ: щёлкните правой кнопкой, чтобы скопировать сообщение целиком)</numerusform>
            <numerusform>
... (ещё %n символа: щёлкните правой кнопкой, чтобы скопировать сообщение целиком)</numerusform>
            <numerusform>
... (ещё %n символов: щёлкните правой кнопкой, чтобы скопировать сообщение целиком)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>
... (%n more characters left out)</source>
        <translation>
            <numerusform>
... (пропущен ещё %n символ)</numerusform>
            <numerusform>
... (пропущено ещё %n символа)</numerusform>
            <numerusform>
... (пропущено ещё %n символов)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>HeaderPanel</name>
    <message>
        <source>Opens your orgs the way an IDE plug-in does: the Salesforce CLI turns the refresh token it already holds into a browser session (sf org open), so no new login is needed.</source>
        <translation>Открывает ваши организации так же, как плагин IDE: Salesforce CLI превращает уже имеющийся у него токен обновления в сеанс браузера (sf org open), и входить заново не нужно.</translation>
    </message>
    <message>
        <source>Working</source>
        <translation>Выполняется</translation>
    </message>
    <message>
        <source>На сайт</source>
        <translation>На сайт</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Обновить</translation>
    </message>
    <message>
        <source>Read the CLI&apos;s connections again (%1)</source>
        <translation>Заново прочитать подключения CLI (%1)</translation>
    </message>
    <message>
        <source>Filter by alias, username, org id, or URL</source>
        <translation>Фильтр по псевдониму, имени пользователя, ID организации или URL</translation>
    </message>
    <message>
        <source>Filter connections</source>
        <translation>Фильтр подключений</translation>
    </message>
    <message>
        <source>Open the Salesforce CLI&apos;s web page in the browser</source>
        <translation>Открыть веб-страницу Salesforce CLI в браузере</translation>
    </message>
</context>
<context>
    <name>LoginKind</name>
    <message>
        <source>Production</source>
        <translation>Рабочая</translation>
    </message>
    <message>
        <source>Sandbox</source>
        <translation>Песочница</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quit while an action is running?</source>
        <translation>Выйти, пока выполняется действие?</translation>
    </message>
    <message>
        <source>A login in progress is cancelled; any other command gets up to ten seconds to finish.</source>
        <translation>Начатый вход будет отменён; любой другой команде дается до десяти секунд на завершение.</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Выйти</translation>
    </message>
    <message>
        <source>Keep Running</source>
        <translation>Продолжить</translation>
    </message>
</context>
<context>
    <name>NewConnectionPanel</name>
    <message>
        <source>New Connection</source>
        <translation>Новое подключение</translation>
    </message>
    <message>
        <source>e.g. quintellwharf-s-2026</source>
        <translation>например, quintellwharf-s-2026</translation>
    </message>
    <message>
        <source>Alias</source>
        <translation>Псевдоним</translation>
    </message>
    <message>
        <source>Org Type</source>
        <translation>Тип организации</translation>
    </message>
    <message>
        <source>Org Type: %1</source>
        <translation>Тип организации: %1</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>Браузер</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>По умолчанию</translation>
    </message>
    <message>
        <source>Make the new connection the CLI&apos;s default org</source>
        <translation>Сделать новое подключение организацией CLI по умолчанию</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Создать</translation>
    </message>
    <message>
        <source>Log in through the CLI in a browser (%1)</source>
        <translation>Войти через CLI в браузере (%1)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Stop waiting for the browser login; nothing is created</source>
        <translation>Перестать ждать входа в браузере; ничего не создаётся</translation>
    </message>
    <message>
        <source>Import JSON</source>
        <translation>Импорт JSON</translation>
    </message>
    <message>
        <source>Import/export JSON uses Salesforce CLI SFDX auth URL files. These files contain refresh tokens; treat them like passwords.</source>
        <translation>Импорт и экспорт JSON используют файлы SFDX auth URL из Salesforce CLI. В них есть токены обновления: берегите их как пароли.</translation>
    </message>
</context>
<context>
    <name>OpenTarget</name>
    <message>
        <source>System default</source>
        <translation>Системный браузер</translation>
    </message>
    <message>
        <source>%1 default</source>
        <translation>%1 по умолчанию</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <translation>%1 - %2</translation>
    </message>
</context>
<context>
    <name>OrgAction</name>
    <message>
        <source>Delete selected Salesforce CLI connection?</source>
        <translation>Удалить выбранное подключение Salesforce CLI?</translation>
    </message>
    <message>
        <source>This runs sf org logout for %1. You can re-create it later with New Connection.</source>
        <translation>Будет выполнена команда sf org logout для %1. Позже подключение можно создать заново в разделе «Новое подключение».</translation>
    </message>
    <message>
        <source>Delete Connection</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Export selected connection auth JSON?</source>
        <translation>Экспортировать JSON авторизации выбранного подключения?</translation>
    </message>
    <message>
        <source>The exported JSON contains an OAuth refresh token. Anyone with this file can authorize Salesforce CLI for this org until the token is revoked or expires.</source>
        <translation>Экспортированный JSON содержит токен обновления OAuth. Любой, у кого есть этот файл, может авторизовать Salesforce CLI в этой организации, пока токен не отозван и не истёк.</translation>
    </message>
    <message>
        <source>Export Auth JSON</source>
        <translation>Экспортировать JSON</translation>
    </message>
    <message>
        <source>Export Salesforce Auth JSON</source>
        <translation>Экспорт JSON авторизации Salesforce</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>Open Connection</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Open the org in a browser session (%1)</source>
        <translation>Открыть организацию в сеансе браузера (%1)</translation>
    </message>
    <message>
        <source>Open Setup</source>
        <translation>Открыть настройку</translation>
    </message>
    <message>
        <source>Set Default</source>
        <translation>Назначить по умолчанию</translation>
    </message>
    <message>
        <source>Make this org the CLI&apos;s default org</source>
        <translation>Сделать эту организацию организацией CLI по умолчанию</translation>
    </message>
    <message>
        <source>Copy Target</source>
        <translation>Копировать цель</translation>
    </message>
    <message>
        <source>Copy the alias or username to the clipboard</source>
        <translation>Скопировать псевдоним или имя пользователя в буфер обмена</translation>
    </message>
    <message>
        <source>Export JSON</source>
        <translation>Экспорт JSON</translation>
    </message>
    <message>
        <source>Save the connection as an SFDX auth URL file (connected orgs only)</source>
        <translation>Сохранить подключение в файл SFDX auth URL (только для подключённых организаций)</translation>
    </message>
</context>
<context>
    <name>OrgList</name>
    <message>
        <source>the output is empty.</source>
        <translation>вывод пуст.</translation>
    </message>
    <message>
        <source>Unexpected org list from sf: %1</source>
        <translation>Неожиданный список организаций от sf: %1</translation>
    </message>
    <message>
        <source>an object</source>
        <translation>объект</translation>
    </message>
    <message>
        <source>an array</source>
        <translation>массив</translation>
    </message>
    <message>
        <source>a string</source>
        <translation>строка</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>число</translation>
    </message>
    <message>
        <source>a boolean</source>
        <translation>логическое значение</translation>
    </message>
    <message>
        <source>null</source>
        <translation>null</translation>
    </message>
    <message>
        <source>top level</source>
        <translation>верхний уровень</translation>
    </message>
    <message>
        <source>garbage at the end of the document</source>
        <translation>лишние данные в конце документа</translation>
    </message>
    <message>
        <source>%1: required key is missing.</source>
        <translation>%1: нет обязательного ключа.</translation>
    </message>
    <message>
        <source>not valid JSON (%1 at offset %2).</source>
        <translation>некорректный JSON (%1, смещение %2).</translation>
    </message>
    <message>
        <source>%1: expected %2, found %3.</source>
        <translation>%1: ожидалось: %2, найдено: %3.</translation>
    </message>
    <message>
        <source>unexpected end of the document</source>
        <translation>неожиданный конец документа</translation>
    </message>
    <message>
        <source>illegal value</source>
        <translation>недопустимое значение</translation>
    </message>
    <message>
        <source>document nested too deeply</source>
        <translation>слишком глубокая вложенность документа</translation>
    </message>
    <message>
        <source>missing a member name</source>
        <translation>нет имени поля</translation>
    </message>
    <message>
        <source>missing a colon after a member name</source>
        <translation>нет двоеточия после имени поля</translation>
    </message>
    <message>
        <source>missing a comma or a closing brace</source>
        <translation>нет запятой или закрывающей фигурной скобки</translation>
    </message>
    <message>
        <source>missing a comma or a closing bracket</source>
        <translation>нет запятой или закрывающей квадратной скобки</translation>
    </message>
    <message>
        <source>malformed number</source>
        <translation>неверно записанное число</translation>
    </message>
    <message>
        <source>invalid escape sequence</source>
        <translation>недопустимая escape-последовательность</translation>
    </message>
    <message>
        <source>control character in a string</source>
        <translation>управляющий символ в строке</translation>
    </message>
    <message>
        <source>unterminated string</source>
        <translation>незакрытая строка</translation>
    </message>
    <message>
        <source>an integer</source>
        <translation>целое число</translation>
    </message>
    <message>
        <source>an array or null</source>
        <translation>массив или null</translation>
    </message>
    <message>
        <source>a string or null</source>
        <translation>строка или null</translation>
    </message>
    <message>
        <source>a boolean or null</source>
        <translation>логическое значение или null</translation>
    </message>
    <message>
        <source>not valid UTF-8.</source>
        <translation>некорректный UTF-8.</translation>
    </message>
</context>
<context>
    <name>OrgListModel</name>
    <message>
        <source>Connected</source>
        <translation>Подключено</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>Проверка...</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Неизвестно</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Не подключено</translation>
    </message>
    <message>
        <source>default</source>
        <translation>по умолчанию</translation>
    </message>
    <message>
        <source>unreachable</source>
        <translation>недоступна</translation>
    </message>
    <message>
        <source>Not connected: %1</source>
        <translation>Не подключено: %1</translation>
    </message>
</context>
<context>
    <name>OrgPage</name>
    <message>
        <source>%1 is not a page of this org: give a path that begins with &quot;/&quot; (not &quot;//&quot;) and has no spaces, or a page&apos;s name.</source>
        <translation>%1 — не страница этой организации: укажите путь, который начинается с «/» (но не с «//») и не содержит пробелов, или название страницы.</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Главная</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Настройка</translation>
    </message>
    <message>
        <source>Object Manager</source>
        <translation>Диспетчер объектов</translation>
    </message>
    <message>
        <source>Developer Console</source>
        <translation>Консоль разработчика</translation>
    </message>
    <message>
        <source>Users</source>
        <translation>Пользователи</translation>
    </message>
    <message>
        <source>Deployment Status</source>
        <translation>Состояние развертывания</translation>
    </message>
    <message>
        <source>Debug Logs</source>
        <translation>Журналы отладки</translation>
    </message>
    <message>
        <source>Flows</source>
        <translation>Потоки</translation>
    </message>
</context>
<context>
    <name>OrgRowDelegate</name>
    <message>
        <source>unreachable</source>
        <translation>недоступна</translation>
    </message>
    <message>
        <source>default</source>
        <translation>по умолчанию</translation>
    </message>
</context>
<context>
    <name>OrgStore</name>
    <message>
        <source>Loading Salesforce CLI connections...</source>
        <translation>Загрузка подключений Salesforce CLI...</translation>
    </message>
    <message numerus="yes">
        <source>The CLI&apos;s connections changed: %n listed.</source>
        <translation>
            <numerusform>Подключения CLI изменились: в списке %n подключение.</numerusform>
            <numerusform>Подключения CLI изменились: в списке %n подключения.</numerusform>
            <numerusform>Подключения CLI изменились: в списке %n подключений.</numerusform>
        </translation>
    </message>
    <message>
        <source>Reading sf org list...</source>
        <translation>Чтение sf org list...</translation>
    </message>
    <message>
        <source>Opening %1...</source>
        <translation>Открытие %1...</translation>
    </message>
    <message>
        <source>Opened %1 in %2.</source>
        <translation>%1 открыта: %2.</translation>
    </message>
    <message>
        <source>Opened %1 (%3) in %2.</source>
        <translation>%1 (%3) открыта: %2.</translation>
    </message>
    <message>
        <source>Setting default org to %1...</source>
        <translation>Назначение %1 организацией по умолчанию...</translation>
    </message>
    <message>
        <source>Default org set to %1.</source>
        <translation>Организация по умолчанию: %1.</translation>
    </message>
    <message>
        <source>The target of %1 holds a line break or another control character; it was not copied, since a terminal would run what follows it.</source>
        <translation>Цель %1 содержит перевод строки или другой управляющий символ; она не скопирована, так как терминал выполнил бы то, что идёт после него.</translation>
    </message>
    <message>
        <source>Copied target: %1</source>
        <translation>Цель скопирована: %1</translation>
    </message>
    <message>
        <source>%1 changed while you confirmed; nothing was deleted. Refresh and try again.</source>
        <translation>%1 изменилась, пока вы подтверждали; ничего не удалено. Обновите список и попробуйте снова.</translation>
    </message>
    <message>
        <source>Deleting connection %1...</source>
        <translation>Удаление подключения %1...</translation>
    </message>
    <message>
        <source>Deleted connection %1.</source>
        <translation>Подключение %1 удалено.</translation>
    </message>
    <message>
        <source>Opening Salesforce login for %1. Complete login and click Allow in the browser...</source>
        <translation>Открывается вход в Salesforce для %1. Завершите вход и нажмите «Разрешить» в браузере...</translation>
    </message>
    <message>
        <source>Login cancelled.</source>
        <translation>Вход отменён.</translation>
    </message>
    <message>
        <source>%1 changed while you confirmed; nothing was exported. Refresh and try again.</source>
        <translation>%1 изменилась, пока вы подтверждали; ничего не экспортировано. Обновите список и попробуйте снова.</translation>
    </message>
    <message>
        <source>Exporting %1 auth JSON...</source>
        <translation>Экспорт JSON авторизации %1...</translation>
    </message>
    <message>
        <source>The Salesforce CLI did not return an SFDX auth URL for %1; nothing was written.</source>
        <translation>Salesforce CLI не вернул SFDX auth URL для %1; ничего не записано.</translation>
    </message>
    <message>
        <source>Exported auth JSON for %1. Treat this file like a password.</source>
        <translation>JSON авторизации %1 экспортирован. Берегите этот файл как пароль.</translation>
    </message>
    <message>
        <source>Importing auth JSON as %1...</source>
        <translation>Импорт JSON авторизации как %1...</translation>
    </message>
    <message>
        <source>Imported auth JSON as %1. Treat imported files like passwords.</source>
        <translation>JSON авторизации импортирован как %1. Берегите импортированные файлы как пароли.</translation>
    </message>
    <message numerus="yes">
        <source>Loaded %n CLI connections.</source>
        <translation>
            <numerusform>Загружено %n подключение CLI.</numerusform>
            <numerusform>Загружено %n подключения CLI.</numerusform>
            <numerusform>Загружено %n подключений CLI.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Connection created. Loaded %n CLI connections.</source>
        <translation>
            <numerusform>Подключение создано. Загружено %n подключение CLI.</numerusform>
            <numerusform>Подключение создано. Загружено %n подключения CLI.</numerusform>
            <numerusform>Подключение создано. Загружено %n подключений CLI.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Removing the connections of %n expired scratch orgs...</source>
        <translation>
            <numerusform>Удаление подключения %n истёкшей временной организации...</numerusform>
            <numerusform>Удаление подключений %n истёкших временных организаций...</numerusform>
            <numerusform>Удаление подключений %n истёкших временных организаций...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Removed the connections of %n expired scratch orgs.</source>
        <translation>
            <numerusform>Удалено подключение %n истёкшей временной организации.</numerusform>
            <numerusform>Удалены подключения %n истёкших временных организаций.</numerusform>
            <numerusform>Удалены подключения %n истёкших временных организаций.</numerusform>
        </translation>
    </message>
    <message>
        <source>The Salesforce CLI could not remove the connections of %1 of the %2 expired scratch orgs:</source>
        <translation>Salesforce CLI не смог удалить подключения %1 из %2 истёкших временных организаций:</translation>
    </message>
    <message>
        <source>Could not copy %1: no clipboard is available.</source>
        <translation>Не удалось скопировать %1: буфер обмена недоступен.</translation>
    </message>
    <message>
        <source>The CLI&apos;s alias table has entries that name no username, which reach no org: %1.</source>
        <translation>В таблице псевдонимов CLI есть записи без имени пользователя; они не ведут ни к одной организации: %1.</translation>
    </message>
    <message numerus="yes">
        <source>The Salesforce CLI removed none of the %n expired scratch orgs&apos; connections.</source>
        <translation>
            <numerusform>Salesforce CLI не удалил подключение ни одной из %n истёкшей временной организации.</numerusform>
            <numerusform>Salesforce CLI не удалил подключения ни одной из %n истёкших временных организаций.</numerusform>
            <numerusform>Salesforce CLI не удалил подключения ни одной из %n истёкших временных организаций.</numerusform>
        </translation>
    </message>
    <message>
        <source>Removed the connections of %1 of the %2 expired scratch orgs.</source>
        <translation>Удалены подключения %1 из %2 истёкших временных организаций.</translation>
    </message>
    <message>
        <source>Where %1 opens is forgotten: the system browser again.</source>
        <translation>Где открывается %1, забыто: снова системный браузер.</translation>
    </message>
    <message>
        <source>%1 was last opened in %2, which is no longer offered: the system browser is chosen instead.</source>
        <translation>%1 в последний раз открывали в %2, но его больше нет в списке: выбран системный браузер.</translation>
    </message>
</context>
<context>
    <name>SFCLI</name>
    <message>
        <source>
[... %1 left out ...]
</source>
        <translation>
[... пропущено %1 ...]
</translation>
    </message>
    <message>
        <source>A Salesforce CLI argument contains a NUL character and was not passed on.</source>
        <translation>Аргумент для Salesforce CLI содержит символ NUL и не был передан.</translation>
    </message>
    <message>
        <source>Salesforce CLI command timed out.</source>
        <translation>Время ожидания команды Salesforce CLI истекло.</translation>
    </message>
    <message>
        <source>Salesforce CLI printed more than %1; the command was stopped.</source>
        <translation>Salesforce CLI вывел больше %1; команда остановлена.</translation>
    </message>
    <message>
        <source>%1 MiB</source>
        <translation>%1 МиБ</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n байт</numerusform>
            <numerusform>%n байта</numerusform>
            <numerusform>%n байт</numerusform>
        </translation>
    </message>
    <message>
        <source>The Salesforce CLI was ended by signal %1%2 and printed nothing.</source>
        <translation>Salesforce CLI завершён сигналом %1%2 и ничего не вывел.</translation>
    </message>
    <message>
        <source>The Salesforce CLI was ended by signal %1%2.</source>
        <translation>Salesforce CLI завершён сигналом %1%2.</translation>
    </message>
    <message>
        <source>The Salesforce CLI did not print its alias table (sf alias list --json).</source>
        <translation>Salesforce CLI не вывел таблицу псевдонимов (sf alias list --json).</translation>
    </message>
    <message>
        <source>%1 was left: the alias table could not be read to check its name (%2).</source>
        <translation>%1 не удалена: не удалось прочитать таблицу псевдонимов, чтобы проверить имя (%2).</translation>
    </message>
    <message>
        <source>%1 was left: it is also an alias of another connection, which a command naming it would reach. Remove that alias first (sf alias unset %1).</source>
        <translation>%1 не удалена: это имя — также псевдоним другого подключения, и команда с этим именем попала бы туда. Сначала удалите этот псевдоним (sf alias unset %1).</translation>
    </message>
    <message>
        <source>The CLI&apos;s alias table could not be read, so nothing ran for %1: %2</source>
        <translation>Не удалось прочитать таблицу псевдонимов CLI, поэтому для %1 ничего не выполнено: %2</translation>
    </message>
    <message>
        <source>%1 now reaches %2 instead of %3, so nothing ran.</source>
        <translation>%1 теперь ведёт к %2, а не к %3, поэтому ничего не выполнено.</translation>
    </message>
    <message>
        <source>no connection</source>
        <translation>ни к одному подключению</translation>
    </message>
    <message>
        <source>The Salesforce CLI (sf) is not installed: it is not at %1, nor on the search path. Install it with npm (npm install --global @salesforce/cli) or with the installer from https://developer.salesforce.com/tools/salesforcecli, then Refresh.</source>
        <translation>Salesforce CLI (sf) не установлен: его нет ни в %1, ни в путях поиска. Установите его через npm (npm install --global @salesforce/cli) или установщиком с https://developer.salesforce.com/tools/salesforcecli, затем нажмите «Обновить».</translation>
    </message>
    <message>
        <source> or </source>
        <translation> или </translation>
    </message>
    <message>
        <source>The Salesforce CLI exited with status %1 and printed nothing.</source>
        <translation>Salesforce CLI завершился с кодом %1 и ничего не вывел.</translation>
    </message>
</context>
<context>
    <name>ScratchExpiry</name>
    <message>
        <source>Expires today</source>
        <translation>Истекает сегодня</translation>
    </message>
    <message>
        <source>Expires %1 (tomorrow)</source>
        <translation>Истекает %1 (завтра)</translation>
    </message>
    <message numerus="yes">
        <source>Expires %1 (in %n days)</source>
        <translation>
            <numerusform>Истекает %1 (через %n день)</numerusform>
            <numerusform>Истекает %1 (через %n дня)</numerusform>
            <numerusform>Истекает %1 (через %n дней)</numerusform>
        </translation>
    </message>
    <message>
        <source>Expired %1 (yesterday)</source>
        <translation>Срок истёк %1 (вчера)</translation>
    </message>
    <message numerus="yes">
        <source>Expired %1 (%n days ago)</source>
        <translation>
            <numerusform>Срок истёк %1 (%n день назад)</numerusform>
            <numerusform>Срок истёк %1 (%n дня назад)</numerusform>
            <numerusform>Срок истёк %1 (%n дней назад)</numerusform>
        </translation>
    </message>
    <message>
        <source>expires today</source>
        <translation>истекает сегодня</translation>
    </message>
    <message>
        <source>expires tomorrow</source>
        <translation>истекает завтра</translation>
    </message>
    <message numerus="yes">
        <source>expires in %n days</source>
        <translation>
            <numerusform>истекает через %n день</numerusform>
            <numerusform>истекает через %n дня</numerusform>
            <numerusform>истекает через %n дней</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SearchService</name>
    <message>
        <source>The Salesforce CLI no longer holds this connection.</source>
        <translation>В Salesforce CLI больше нет этого подключения.</translation>
    </message>
    <message>
        <source>Could not open %1</source>
        <translation>Не удалось открыть %1</translation>
    </message>
    <message>
        <source>Open in private window</source>
        <translation>Открыть в приватном окне</translation>
    </message>
</context>
<context>
    <name>SecretFile</name>
    <message>
        <source>Could not write %1: %2.</source>
        <translation>Не удалось записать %1: %2.</translation>
    </message>
</context>
<context>
    <name>TargetMemory</name>
    <message>
        <source>Tarnwick cannot read its settings (%1: %2); where each org opens is not remembered.</source>
        <translation>Tarnwick не может прочитать свои настройки (%1: %2); где открывается каждая организация, не запоминается.</translation>
    </message>
    <message>
        <source>Tarnwick cannot read its settings (%1 is not a file); where each org opens is not remembered.</source>
        <translation>Tarnwick не может прочитать свои настройки (%1 — не файл); где открывается каждая организация, не запоминается.</translation>
    </message>
    <message>
        <source>Tarnwick cannot read its settings (%1), nor set them aside; where each org opens is not remembered.</source>
        <translation>Tarnwick не может ни прочитать свои настройки (%1), ни отложить их; где открывается каждая организация, не запоминается.</translation>
    </message>
    <message>
        <source>Tarnwick could not read its settings; they were set aside as %1, and where each org opens is remembered afresh.</source>
        <translation>Tarnwick не смог прочитать свои настройки; они отложены как %1, и где открывается каждая организация, запоминается заново.</translation>
    </message>
    <message>
        <source>Tarnwick cannot write its settings (%1); where each org opens is not remembered.</source>
        <translation>Tarnwick не может записать свои настройки (%1); где открывается каждая организация, не запоминается.</translation>
    </message>
</context>
</TS>
