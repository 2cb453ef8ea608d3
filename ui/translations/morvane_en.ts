<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_TW">
<context>
    <name>Modes</name>
    <message>
        <source>01. ｛６７ＴＭ２｝　 轉 ｛６７經緯度｝</source>
        <translation>01. TWD67 TM2 → TWD67 geographic</translation>
    </message>
    <message>
        <source>02. ｛６７經緯度｝ 　轉 ｛６７ＴＭ２｝</source>
        <translation>02. TWD67 geographic → TWD67 TM2</translation>
    </message>
    <message>
        <source>03. ｛　　ＴＭ３｝ 　轉 ｛６７經緯度｝</source>
        <translation>03. TM3 → TWD67 geographic</translation>
    </message>
    <message>
        <source>04. ｛６７經緯度｝ 　轉 ｛　　ＴＭ３｝</source>
        <translation>04. TWD67 geographic → TM3</translation>
    </message>
    <message>
        <source>05. ｛５１ＵＴＭ｝ 　轉 ｛６７經緯度｝</source>
        <translation>05. UTM zone 51 → TWD67 geographic</translation>
    </message>
    <message>
        <source>06. ｛６７經緯度｝ 　轉 ｛５１ＵＴＭ｝</source>
        <translation>06. TWD67 geographic → UTM zone 51</translation>
    </message>
    <message>
        <source>07. ｛　　蘭勃特｝ 　轉 ｛６７經緯度｝</source>
        <translation>07. Lambert grid → geographic</translation>
    </message>
    <message>
        <source>08. ｛６７經緯度｝ 　轉 ｛　　蘭勃特｝</source>
        <translation>08. geographic → Lambert grid</translation>
    </message>
    <message>
        <source>09. ｛６７經緯度｝　 轉 ｛９７經緯度｝</source>
        <translation>09. TWD67 geographic → TWD97 geographic</translation>
    </message>
    <message>
        <source>10. ｛９７經緯度｝　 轉 ｛６７經緯度｝</source>
        <translation>10. TWD97 geographic → TWD67 geographic</translation>
    </message>
    <message>
        <source>11. ｛６７ＴＭ２｝　 轉 ｛９７ＴＭ２｝</source>
        <translation>11. TWD67 TM2 → TWD97 TM2</translation>
    </message>
    <message>
        <source>12. ｛９７ＴＭ２｝ 　轉 ｛６７ＴＭ２｝</source>
        <translation>12. TWD97 TM2 → TWD67 TM2</translation>
    </message>
    <message>
        <source>13. ｛９７ＴＭ２｝ 　轉 ｛９７經緯度｝</source>
        <translation>13. TWD97 TM2 → TWD97 geographic</translation>
    </message>
    <message>
        <source>14. ｛９７經緯度｝ 　轉 ｛９７ＴＭ２｝</source>
        <translation>14. TWD97 geographic → TWD97 TM2</translation>
    </message>
    <message>
        <source>15. ｛６７經緯度｝ 　轉 ｛８４經緯度｝</source>
        <translation>15. TWD67 geographic → WGS84 geographic</translation>
    </message>
    <message>
        <source>16. ｛８４經緯度｝ 　轉 ｛６７經緯度｝</source>
        <translation>16. WGS84 geographic → TWD67 geographic</translation>
    </message>
</context>
<context>
    <name>Regions</name>
    <message>
        <source>1.台灣地區</source>
        <translation>1. Taiwan</translation>
    </message>
    <message>
        <source>2.澎湖．金門．馬祖</source>
        <translation>2. Penghu, Kinmen, Matsu</translation>
    </message>
    <message>
        <source>3.大陸地區（限用蘭勃特投影）</source>
        <translation>3. Mainland (Lambert only)</translation>
    </message>
</context>
<context>
    <name>morvane::MainWindow</name>
    <message>
        <source>步驟一:選擇轉換方式</source>
        <translation>Step 1: Choose the conversion</translation>
    </message>
    <message>
        <source>A. 請[正確] 選擇影像坐標轉換方式 </source>
        <translation>A. Choose the right coordinate conversion </translation>
    </message>
    <message>
        <source>B. 請選擇轉換的地區</source>
        <translation>B. Choose the region</translation>
    </message>
    <message>
        <source>步驟二:請選擇路徑及欲處理之檔案</source>
        <translation>Step 2: Choose the folder and the files</translation>
    </message>
    <message>
        <source>全選</source>
        <translation>All</translation>
    </message>
    <message>
        <source>全不選</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Morvane 坐標轉換工具　由 Morvane 開發小組製作　問題與建議請寫信到 %1</source>
        <translation>Morvane coordinate converter, by the Morvane team. Questions and suggestions: %1</translation>
    </message>
    <message>
        <source>步驟三:轉換</source>
        <translation>Step 3: Convert</translation>
    </message>
    <message>
        <source>執行 按我就對了</source>
        <translation>Run the conversion</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>
符合其 .prj 的轉換方式：</source>
        <translation>
Modes that fit its .prj: </translation>
    </message>
</context>
<context>
    <name>morvane::FolderTree</name>
    <message>
        <source>電腦</source>
        <translation>Computer</translation>
    </message>
</context>
<context>
    <name>morvane::PreviewPane</name>
    <message>
        <source>全圖</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>轉換前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>轉換後</source>
        <translation>After</translation>
    </message>
    <message>
        <source>海岸線</source>
        <translation>Coastline</translation>
    </message>
    <message>
        <source>: %1 筆, %2 點</source>
        <translation>: %1 records, %2 points</translation>
    </message>
    <message>
        <source>（只畫出每 %1 筆中的 1 筆，共 %2 筆）</source>
        <translation> (only 1 record in every %1 drawn, %2 in all)</translation>
    </message>
    <message>
        <source>（取樣 %1 點）</source>
        <translation> (a sample of %1 points)</translation>
    </message>
    <message>
        <source>；無法繪出的點：轉換前 %1、轉換後 %2</source>
        <translation>; points that cannot be drawn: %1 before, %2 after</translation>
    </message>
</context>
<context>
    <name>morvane::MessageBoxDialogs</name>
    <message>
        <source>下列檔案的坐標看來不是所選轉換方式的來源坐標系統：

%1

仍要轉換這些檔案嗎？</source>
        <translation>The coordinates of these files do not look like the source system of the chosen conversion:

%1

Convert them anyway?</translation>
    </message>
    <message>
        <source>照樣轉換</source>
        <translation>Convert anyway</translation>
    </message>
    <message>
        <source>略過這些檔案</source>
        <translation>Leave them out</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>已完成!! 請按確定</source>
        <translation>Done!! Press OK</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>No this choice</source>
        <translation>No such region</translation>
    </message>
    <message>
        <source>No the other choice</source>
        <translation>No such mode</translation>
    </message>
    <message>
        <source>Invalid floating point operation</source>
        <translation>Invalid floating point operation</translation>
    </message>
    <message>
        <source>Floating point division by zero</source>
        <translation>Floating point division by zero</translation>
    </message>
    <message>
        <source>Floating point overflow</source>
        <translation>Floating point overflow</translation>
    </message>
    <message>
        <source>%1 Not found</source>
        <translation>%1 not found</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Cannot open file %1</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Cannot create file %1</translation>
    </message>
    <message>
        <source>Cannot read file %1</source>
        <translation>Cannot read file %1</translation>
    </message>
    <message>
        <source>Cannot write file %1</source>
        <translation>Cannot write file %1</translation>
    </message>
</context>
<context>
    <name>morvane::CheckList</name>
    <message>
        <source>之前轉換的輸出檔：再轉換一次會轉換兩次</source>
        <translation>Output of an earlier conversion: converting it again converts twice</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>下列檔案已是之前轉換的輸出，要覆蓋嗎？
（選「否」則略過這些檔案，其餘照常轉換）
</source>
        <translation>These files are outputs of an earlier conversion. Replace them?
(No leaves them out and converts the others.)
</translation>
    </message>
    <message>
        <source>已轉換 %1 個檔案，共 %2 個。</source>
        <translation>Converted %1 of %2 files.</translation>
    </message>
    <message>
        <source>

未能轉換：</source>
        <translation>

Not converted:</translation>
    </message>
    <message>
        <source>

略過（未覆蓋）：</source>
        <translation>

Left out (not replaced):</translation>
    </message>
    <message>
        <source>

略過（坐標看來不是來源坐標系統）：</source>
        <translation>

Left out (the coordinates do not look like the source system):</translation>
    </message>
    <message>
        <source>轉換已取消。</source>
        <translation>The conversion was cancelled.</translation>
    </message>
    <message>
        <source>
中途停止，沒有寫出任何檔案：</source>
        <translation>
Stopped part way, nothing written: </translation>
    </message>
    <message>
        <source>

未開始：%1 個檔案</source>
        <translation>

Not begun: %1 files</translation>
    </message>
    <message>
        <source>沒有勾選任何檔案，沒有轉換。</source>
        <translation>No file is ticked; nothing was converted.</translation>
    </message>
    <message>
        <source>請先在步驟二選擇資料夾，沒有轉換。</source>
        <translation>Choose a folder in step 2 first; nothing was converted.</translation>
    </message>
</context>
</TS>
