// Every text the program shows, in one place, exactly as the user sees it.
#pragma once

#include "petariko_version.h"

namespace petariko::ui {

// Product
inline constexpr wchar_t kProductName[] = L"ペタリコ";
inline constexpr wchar_t kAboutTitleLine[] = L"ペタリコ　Ver " PETARIKO_VERSION;

// Message box titles
inline constexpr wchar_t kTitleError[] = L"エラー";
inline constexpr wchar_t kTitleConfirm[] = L"確認";
inline constexpr wchar_t kTitleMessage[] = L"メッセージ";
inline constexpr wchar_t kTitleFatal[] = L"ペタリコのエラー";

// Tray popup menu
inline constexpr wchar_t kMenuOption[] = L"設定画面";
inline constexpr wchar_t kMenuSave[] = L"現在の切り取り窓を保存";
inline constexpr wchar_t kMenuDelete[] = L"現在の切り取り窓を消去";
inline constexpr wchar_t kMenuEnd[] = L"ペタリコを終了";

// Start-up, shutdown and the watcher's error trap
inline constexpr wchar_t kQuitQuestion[] = L"ペタリコを終了します。よろしいですか？";
inline constexpr wchar_t kFatalError[] = L"エラーが発生しました。\r\nペタリコを強制終了します。";
// Follows kFatalError, then the folder's path on a line of its own.
inline constexpr wchar_t kCrashReportSaved[] = L"エラーの報告を次のフォルダーに保存しました。";
// The first start's notification from the tray icon. The settings file has just been made, so the
// buttons are the defaults: left for cut-outs, right for gestures. One sentence a line: a balloon
// that does not wrap by itself still fits the screen.
inline constexpr wchar_t kFirstStartTitle[] = L"ペタリコが起動しました";
inline constexpr wchar_t kFirstStartText[] =
    L"左ボタンを押したまま、マウスを動かさずに少し待つと、画面を切り取れます。\n"
    L"右ボタンでは、同じようにしてアロージェスチャが使えます。\n"
    L"メニューは、このアイコンを押すと開きます。";

// Settings file problems
inline constexpr wchar_t kSettingsUnreadable[] = L"設定ファイルを読み込めません。";
inline constexpr wchar_t kSettingsUnwritable[] = L"設定ファイルを保存できませんでした。";
inline constexpr wchar_t kSettingsKeptForRun[] = L"新しい設定はペタリコを終了するまで有効です。";
inline constexpr wchar_t kSettingsCannotOpen[] = L"ファイルを開けません。";
inline constexpr wchar_t kSettingsCannotCreate[] = L"ファイルを作成できません。";
inline constexpr wchar_t kSettingsTooFewLines[] = L" 行しかありません（63 行必要です）。";
inline constexpr wchar_t kSettingsNotInteger[] = L"整数ではありません。";
inline constexpr wchar_t kSettingsOutOfRange[] = L"値が大きすぎるか小さすぎます。";
inline constexpr wchar_t kSettingsBadUtf8[] = L"UTF-8 として読めない文字があります。";
inline constexpr wchar_t kSettingsBadText[] = L"システムの文字コードとしても UTF-8 としても読めない文字があります。";
inline constexpr wchar_t kSettingsLineLabel[] = L" 行目：";

// Trace and cut-out
inline constexpr wchar_t kTraceTooLong[] = L"線が長すぎます。\r\nもう一度やり直してください。";
inline constexpr wchar_t kNothingCutOut[] = L"現在は何も切り取りしていません。";
inline constexpr wchar_t kSaveDone[] = L"保存が終了しました。";
inline constexpr wchar_t kSaveFailed[] = L"保存に失敗しました。";
inline constexpr wchar_t kCopyFailed[] = L"クリップボードにコピーできませんでした。";
// Common-dialog filter; '|' separates the pairs and is turned into NULs for the dialog.
inline constexpr wchar_t kSaveFilter[] = L"BMPファイル (*.BMP)|*.BMP|";

// A gesture's program that could not be started; the registered line follows on the next line.
inline constexpr wchar_t kLaunchFailed[] = L"プログラムを起動できませんでした。";

// Gesture label
inline constexpr wchar_t kRunProgramPrefix[] = L" 実行されるプログラム： ";

// Settings screen
inline constexpr wchar_t kSettingsCaption[] = L"設定画面";
inline constexpr wchar_t kFrameCutout[] = L"ペタリコ";
inline constexpr wchar_t kFrameGesture[] = L"アロージェスチャ";
inline constexpr wchar_t kFrameMouse[] = L"マウス設定";
inline constexpr wchar_t kHeadingButton[] = L"【使用マウスボタン】";
inline constexpr wchar_t kHeadingPrograms[] = L"【登録プログラム一覧】";
inline constexpr wchar_t kHeadingHoldTime[] = L"【動作開始までの時間】";
inline constexpr wchar_t kOptionLeft[] = L"左";
inline constexpr wchar_t kOptionMiddle[] = L"中";
inline constexpr wchar_t kOptionRight[] = L"右";
inline constexpr wchar_t kOptionUnused[] = L"未使用";
inline constexpr wchar_t kShort[] = L"短";
inline constexpr wchar_t kLong[] = L"長";
inline constexpr wchar_t kAdd[] = L"追加";
inline constexpr wchar_t kEdit[] = L"編集";
inline constexpr wchar_t kDelete[] = L"削除";
inline constexpr wchar_t kOk[] = L"ＯＫ";
inline constexpr wchar_t kCancel[] = L"キャンセル";
inline constexpr wchar_t kVersion[] = L"バージョン";
inline constexpr wchar_t kColumnPath[] = L"プログラムまでのパス";
inline constexpr wchar_t kColumnGesture[] = L"ジェスチャ";
inline constexpr wchar_t kListFull[] = L"これ以上、追加できません。";
inline constexpr wchar_t kDeleteQuestionSuffix[] = L"を一覧から削除します。よろしいですか？";

// Gesture editor
inline constexpr wchar_t kEditorCaption[] = L"ジェスチャ設定";
inline constexpr wchar_t kEditorPathHeading[] = L"プログラムまでのパス";
inline constexpr wchar_t kEditorGestureHeading[] = L"ジェスチャ設定";
inline constexpr wchar_t kBrowse[] = L"参照";
inline constexpr wchar_t kClear[] = L"クリア";
inline constexpr wchar_t kNeedProgram[] = L"プログラムを指定してください。";
inline constexpr wchar_t kFileMissing[] = L"ファイルが存在しません。";
inline constexpr wchar_t kPathUnstorable[] =
    L"このパスには設定ファイルに保存できない文字が含まれています。名前を変えてから登録してください。";
inline constexpr wchar_t kOpenFilter[] = L"すべてのファイル (*.*)|*.*|";

// Arrows, in the order of the arrow strip's cells and of the editor's buttons
inline constexpr wchar_t kArrowUp[] = L"↑";
inline constexpr wchar_t kArrowLeft[] = L"←";
inline constexpr wchar_t kArrowRight[] = L"→";
inline constexpr wchar_t kArrowDown[] = L"↓";

// A form's action that a refused call ended; a page or link comes first, on a line of its own.
inline constexpr wchar_t kSettingsOpenFailed[] = L"設定画面を開けませんでした。";
inline constexpr wchar_t kEditorOpenFailed[] = L"ジェスチャ設定を開けませんでした。";
inline constexpr wchar_t kAboutOpenFailed[] = L"バージョン情報を開けませんでした。";
inline constexpr wchar_t kBrowseFailed[] = L"ファイルを選ぶ画面を開けませんでした。";
inline constexpr wchar_t kDeleteFailed[] = L"一覧から削除できませんでした。";
inline constexpr wchar_t kRelayoutFailed[] = L"画面の拡大率の変更に合わせられませんでした。";
inline constexpr wchar_t kOpenFailedSuffix[] = L"を開けませんでした。";

// About box
inline constexpr wchar_t kAboutCaption[] = L"バージョン情報";
inline constexpr wchar_t kAboutAuthor[] = L"作者　：";
inline constexpr wchar_t kAboutHomepage[] = L"ホームページ　：";
inline constexpr wchar_t kAboutMail[] = L"メール　：";
inline constexpr wchar_t kHelp[] = L"ヘルプ";
inline constexpr wchar_t kClose[] = L"閉じる";

// Fonts: the classic Japanese UI font first, then one that exists on current systems.
inline constexpr wchar_t kFontPGothic[] = L"ＭＳ Ｐゴシック";
inline constexpr wchar_t kFontFallback[] = L"Yu Gothic UI";

}  // namespace petariko::ui
