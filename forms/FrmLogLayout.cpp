#include "forms/FrmLog.h"

namespace {
const TLayoutItem kItems[] = {
    {.Create = NewComponent<TMemo>,
     .Name = "Memo1",
     .Left = 8,
     .Top = 8,
     .Width = 504,
     .Height = 268,
     .TabOrder = 0,
     .Props = {{"ScrollBars", "ssVertical"}, {"ReadOnly", "True"}, {"Color", "clWindow"}}},
    {.Create = NewComponent<TButton>,
     .Name = "Button1",
     .Caption = "复制",
     .Left = 326,
     .Top = 284,
     .Width = 75,
     .Height = 25,
     .Bold = true,
     .TabOrder = 1,
     .Events = {{"OnClick", "Button1Click"}}},
    {.Create = NewComponent<TButton>,
     .Name = "Button2",
     .Caption = "打开文件夹",
     .Left = 409,
     .Top = 284,
     .Width = 103,
     .Height = 25,
     .Bold = true,
     .TabOrder = 2,
     .Events = {{"OnClick", "Button2Click"}}},
};
}  // namespace

const TFormLayout FrmLogLayout = {
    .Caption = "连接日志",
    .ClientWidth = 520,
    .ClientHeight = 317,
    .BorderStyle = bsSingle,
    .BorderIcons = biSystemMenu | biMinimize,
    .Position = poScreenCenter,
    .FontName = "宋体",
    .FontHeight = 12,
    .Charset = GB2312_CHARSET,
    .Color = "clBtnFace",
    .IconResource = 1,
    .Items = kItems,
};
