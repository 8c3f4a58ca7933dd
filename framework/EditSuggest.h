// Suggestions under an edit as the user types: a list drops down below the edit with the
// choices that hold the typed text (those that begin with it first), without taking the
// focus from the edit and without changing the window's layout. Down and Up move through
// it (Down also opens it), Enter or a click takes a choice, Escape, leaving the edit or
// moving its window closes it. The keys the list takes do not reach the edit's own
// handlers, so Enter on a choice does not also run what Enter in the edit does.
//
//   TEditSuggest suggest(edit);
//   suggest.SetChoices({{"vpn1.example", "电信线路"}, {"vpn2.example", "联通线路"}});
//   edit->OnChange = [&](TObject*) { suggest.TextChanged(); };
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/Messages.h"

class TEdit;

class TEditSuggest {
 public:
  struct TChoice {
    std::string Text;  // what the edit takes (GBK)
    std::string Note;  // shown to its right, in the list only
  };

  explicit TEditSuggest(TEdit* Edit);
  ~TEditSuggest();
  TEditSuggest(const TEditSuggest&) = delete;
  TEditSuggest& operator=(const TEditSuggest&) = delete;

  void SetChoices(std::vector<TChoice> Choices);
  // The edit's text has changed: while the edit has the focus, the list follows the text.
  void TextChanged();
  // Opens the list for the text as it stands (every choice for an empty text).
  void Open();
  void Close();
  bool Shown() const;
  // The texts the list shows, in its order, and the one highlighted (-1: none).
  std::vector<std::string> ShownTexts() const;
  int Highlighted() const;
  HWND ListWindow() const { return FList.Get(); }

  // The choice, after the edit has taken its text.
  std::function<void(const TChoice& Choice)> OnChoose;
  int MaxRows = 8;

 private:
  static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM);
  void EditMessage(TMessage& Message);
  bool Key(WPARAM Key);
  void Fill(const std::string& Text, bool All);
  void Place();
  void Choose(int Row);

  TEdit* FEdit;
  TWndMethod FOldProc;
  std::vector<TChoice> FChoices;
  std::vector<size_t> FShown;  // rows of the list -> choices
  TWindowHandle FList;
  WNDPROC FOldListProc = nullptr;
  bool FSwallowChar = false;  // the character of a key the list took
  bool FChoosing = false;
};
