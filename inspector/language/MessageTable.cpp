// The program's message texts: placeholders, captions, prompts and errors, replaceable by a language file.
#include "MessageTable.h"

#include <utility>

namespace lvx {

const std::array<MessageDef, MessageCount> MessageDefs = {{
    {"NotSuppIn95", "Эта функция не поддерживается в Windows 95"},
    {"_LVX_ABOUT", "О программе..."},
    {"_WindowNotReply", "<Окно не ответило на запрос>"},
    {"_WndClassNotFound", "<Не удалось прочитать имя класса окна>"},
    {"_CantReadWndText", "<Не удалось прочитать текст окна>"},
    {"_NoWindowFoundTxt", "<Окно не существует>"},
    {"_NoWindowsFound", "Окна с указанными параметрами не найдены"},
    {"_ChangeWndText", "Изменить текст окна"},
    {"_EnterNewWndText", "Новый текст окна"},
    {"_EnterNewValue", "Введите новое значение параметра"},
    {"_Value", "Значение:"},
    {"_MustBeInteger", "Значение должно быть целым числом"},
    {"_CantModifyParameter", "Не удалось изменить значение параметра"},
    {"_CantSaveFile", " Не удалось сохранить файл %s."},
    {"_CantGetProcessInfo", "Не удалось получить информацию о процессе"},
    {"_CantApplyOperationToMenu", "Не удалось выполнить операцию над меню"},
    {"_NoWindowFound", "--------"},
    {"_NoMenuIDFound", "--------"},
    {"_Has", "Есть"},
    {"_Hasnt", "Нет"},
    {"_InvalidMessage", "Неизвестное сообщение"},
    {"_CTP", "Не удалось изменить приоритет потока"},
    {"_CPP", "Не удалось изменить приоритет процесса"},
    {"_CRT", "Не удалось разморозить поток"},
    {"_CST", "Не удалось заморозить поток"},
    {"_CCWT", "Не удалось изменить текст окна"},
    {"_ERROR", "Ошибка"},
    {"_MESSAGE", "Сообщение"},
    {"_WARNING", "Предупреждение"},
    {"_OnlyME2000XP", "Данная функция поддерживается только в Windows ME/2000/XP"},
    {"_OpenThreadFailed", "Не удалось открыть поток"},
    {"_EmptyMenuItem", "<Пустая строка>"},
    {"_Please_Wait", "Идет сканирование. Пожалуйста подождите."},
    {"_JustPleaseWait", "Пожалуйста подождите"},
    {"_OK", "OK"},
    {"_FindNext", "Найти далее"},
}};

namespace {

std::array<std::string, MessageCount> DefaultTexts()
{
    std::array<std::string, MessageCount> texts;
    for (size_t i = 0; i < MessageCount; ++i) texts[i] = MessageDefs[i].DefaultText;
    return texts;
}

// The live texts (program-wide); initialised after MessageDefs, which precedes it in this file.
std::array<std::string, MessageCount> CurrentTexts = DefaultTexts();

}  // namespace

const std::string& MessageText(Msg id)
{
    return CurrentTexts[static_cast<size_t>(id)];
}

void SetMessageText(Msg id, std::string text)
{
    CurrentTexts[static_cast<size_t>(id)] = std::move(text);
}

void ResetMessageTable()
{
    CurrentTexts = DefaultTexts();
}

}  // namespace lvx
