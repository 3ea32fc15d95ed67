/*
 * Russian texts of the dialogs and string tables (language 0x419).
 *
 * Every non-ASCII character is written as a 4-digit UTF-16 escape in a wide
 * literal, so the compiled resources hold exactly these characters whatever
 * code page the resource compiler assumes for the source. The comment above
 * each macro shows the same text in readable form (UTF-8); keep the two in
 * step; python3 -c "print(ascii('...'))" prints the escapes of a text.
 */
#ifndef TAGCFG_TEXTS_RU_H
#define TAGCFG_TEXTS_RU_H

/* Настройка канала OPC */
#define RU_CHANNEL_SETUP_CAPTION  L"\x041D\x0430\x0441\x0442\x0440\x043E\x0439\x043A\x0430 \x043A\x0430\x043D\x0430\x043B\x0430 OPC"
/* Сервер: */
#define RU_SERVER_LABEL           L"\x0421\x0435\x0440\x0432\x0435\x0440:"
/* Компьютер: */
#define RU_COMPUTER_LABEL         L"\x041A\x043E\x043C\x043F\x044C\x044E\x0442\x0435\x0440:"
/* Описание: */
#define RU_DESCRIPTION_LABEL      L"\x041E\x043F\x0438\x0441\x0430\x043D\x0438\x0435:"
/* Канал MERIDIAN: */
#define RU_CHANNEL_NAME_LABEL     L"\x041A\x0430\x043D\x0430\x043B MERIDIAN:"
/* Идентификатор OPC: */
#define RU_ITEM_ID_LABEL          L"\x0418\x0434\x0435\x043D\x0442\x0438\x0444\x0438\x043A\x0430\x0442\x043E\x0440 OPC:"
/* Путь доступа (Access Path): */
#define RU_ACCESS_PATH_LABEL      L"\x041F\x0443\x0442\x044C \x0434\x043E\x0441\x0442\x0443\x043F\x0430 (Access Path):"
/* Отмена */
#define RU_CANCEL                 L"\x041E\x0442\x043C\x0435\x043D\x0430"

/* Выбор сервера OPC */
#define RU_SERVER_PICKER_CAPTION  L"\x0412\x044B\x0431\x043E\x0440 \x0441\x0435\x0440\x0432\x0435\x0440\x0430 OPC"

/* Выбор сервера OPC */
#define RU_SERVER_LIST_CAPTION    L"\x0412\x044B\x0431\x043E\x0440 \x0441\x0435\x0440\x0432\x0435\x0440\x0430 OPC"
/* Серверы OPC: */
#define RU_SERVERS_LABEL          L"\x0421\x0435\x0440\x0432\x0435\x0440\x044B OPC:"
/* &Добавить */
#define RU_ADD                    L"&\x0414\x043E\x0431\x0430\x0432\x0438\x0442\x044C"
/* &Удалить */
#define RU_REMOVE                 L"&\x0423\x0434\x0430\x043B\x0438\x0442\x044C"
/* &Изменить */
#define RU_CHANGE                 L"&\x0418\x0437\x043C\x0435\x043D\x0438\x0442\x044C"
/* Выбрать */
#define RU_SELECT                 L"\x0412\x044B\x0431\x0440\x0430\x0442\x044C"
/* Выход */
#define RU_EXIT                   L"\x0412\x044B\x0445\x043E\x0434"

/* Выбор каналов OPC для автопостроения */
#define RU_ITEM_SELECTION_CAPTION L"\x0412\x044B\x0431\x043E\x0440 \x043A\x0430\x043D\x0430\x043B\x043E\x0432 OPC \x0434\x043B\x044F \x0430\x0432\x0442\x043E\x043F\x043E\x0441\x0442\x0440\x043E\x0435\x043D\x0438\x044F"
/* Пространство имен сервера */
#define RU_NAME_SPACE_LABEL       L"\x041F\x0440\x043E\x0441\x0442\x0440\x0430\x043D\x0441\x0442\x0432\x043E \x0438\x043C\x0435\x043D \x0441\x0435\x0440\x0432\x0435\x0440\x0430"
/* Выбранные имена */
#define RU_SELECTED_ITEMS_LABEL   L"\x0412\x044B\x0431\x0440\x0430\x043D\x043D\x044B\x0435 \x0438\x043C\x0435\x043D\x0430"
/* &Выше */
#define RU_UP                     L"&\x0412\x044B\x0448\x0435"
/* &Ниже */
#define RU_DOWN                   L"&\x041D\x0438\x0436\x0435"

/* Мой компьютер */
#define RU_MY_COMPUTER            L"\x041C\x043E\x0439 \x043A\x043E\x043C\x043F\x044C\x044E\x0442\x0435\x0440"
/* Сетевое окружение */
#define RU_NETWORK_NEIGHBOURHOOD  L"\x0421\x0435\x0442\x0435\x0432\x043E\x0435 \x043E\x043A\x0440\x0443\x0436\x0435\x043D\x0438\x0435"
/* Вся сеть */
#define RU_ENTIRE_NETWORK         L"\x0412\x0441\x044F \x0441\x0435\x0442\x044C"
/* Идентификатор */
#define RU_ITEM_ID_COLUMN         L"\x0418\x0434\x0435\x043D\x0442\x0438\x0444\x0438\x043A\x0430\x0442\x043E\x0440"
/* Предупреждение */
#define RU_WARNING_CAPTION        L"\x041F\x0440\x0435\x0434\x0443\x043F\x0440\x0435\x0436\x0434\x0435\x043D\x0438\x0435"
/* Ошибка */
#define RU_ERROR_CAPTION          L"\x041E\x0448\x0438\x0431\x043A\x0430"
/* Ошибка подключения к серверу. Возможно, сервер зарегистрирован некорректно. */
#define RU_CONNECT_FAILED         L"\x041E\x0448\x0438\x0431\x043A\x0430 \x043F\x043E\x0434\x043A\x043B\x044E\x0447\x0435\x043D\x0438\x044F \x043A \x0441\x0435\x0440\x0432\x0435\x0440\x0443. \x0412\x043E\x0437\x043C\x043E\x0436\x043D\x043E, \x0441\x0435\x0440\x0432\x0435\x0440 \x0437\x0430\x0440\x0435\x0433\x0438\x0441\x0442\x0440\x0438\x0440\x043E\x0432\x0430\x043D \x043D\x0435\x043A\x043E\x0440\x0440\x0435\x043A\x0442\x043D\x043E."
/* Сервер|Идентификатор|Компьютер|Описание */
#define RU_SERVER_COLUMNS         L"\x0421\x0435\x0440\x0432\x0435\x0440|\x0418\x0434\x0435\x043D\x0442\x0438\x0444\x0438\x043A\x0430\x0442\x043E\x0440|\x041A\x043E\x043C\x043F\x044C\x044E\x0442\x0435\x0440|\x041E\x043F\x0438\x0441\x0430\x043D\x0438\x0435"
/* <не настроен> */
#define RU_NOT_CONFIGURED         L"<\x043D\x0435 \x043D\x0430\x0441\x0442\x0440\x043E\x0435\x043D>"
/* Внимание! При удалении или изменении конфигурации сервера / необходимо перенастроить все связанные с ним каналы. / Продолжать? */
#define RU_CONFIRM_SERVER_CHANGE  L"\x0412\x043D\x0438\x043C\x0430\x043D\x0438\x0435! \x041F\x0440\x0438 \x0443\x0434\x0430\x043B\x0435\x043D\x0438\x0438 \x0438\x043B\x0438 \x0438\x0437\x043C\x0435\x043D\x0435\x043D\x0438\x0438 \x043A\x043E\x043D\x0444\x0438\x0433\x0443\x0440\x0430\x0446\x0438\x0438 \x0441\x0435\x0440\x0432\x0435\x0440\x0430\n\x043D\x0435\x043E\x0431\x0445\x043E\x0434\x0438\x043C\x043E \x043F\x0435\x0440\x0435\x043D\x0430\x0441\x0442\x0440\x043E\x0438\x0442\x044C \x0432\x0441\x0435 \x0441\x0432\x044F\x0437\x0430\x043D\x043D\x044B\x0435 \x0441 \x043D\x0438\x043C \x043A\x0430\x043D\x0430\x043B\x044B.\n\x041F\x0440\x043E\x0434\x043E\x043B\x0436\x0430\x0442\x044C?"

#endif
