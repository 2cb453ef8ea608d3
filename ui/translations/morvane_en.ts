<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_TW">
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
        <name>DatumTexts</name>
        <message>
            <source>第 %1 行（%2）：</source>
            <translation>line %1 (%2): </translation>
        </message>
        <message>
            <source>第 %1 行：</source>
            <translation>line %1: </translation>
        </message>
        <message>
            <source>（%1）：</source>
            <translation>(%1): </translation>
        </message>
        <message>
            <source>點號</source>
            <translation>id</translation>
        </message>
        <message>
            <source>相似</source>
            <translation>similarity</translation>
        </message>
        <message>
            <source>仿射</source>
            <translation>affine</translation>
        </message>
        <message>
            <source>局部</source>
            <translation>local</translation>
        </message>
        <message>
            <source>TM2 中央經線須為 121（台灣）或 119（澎湖），不是 %1</source>
            <translation>the TM2 meridian must be 121 (Taiwan) or 119 (Penghu), not %1</translation>
        </message>
        <message>
            <source>應有 5 欄（點號、TWD67 E、TWD67 N、TWD97 E、TWD97 N），卻有 %1 欄</source>
            <translation>expected 5 columns (id, TWD67 E, TWD67 N, TWD97 E, TWD97 N), found %1</translation>
        </message>
        <message>
            <source>應有標題所列的 %1 欄，卻有 %2 欄</source>
            <translation>expected %1 columns as in the header, found %2</translation>
        </message>
        <message>
            <source>%1 不是數字：「%2」</source>
            <translation>%1 is not a number: "%2"</translation>
        </message>
        <message>
            <source>點號重複（第 %1 行已用過）</source>
            <translation>the id is used again (first on line %1)</translation>
        </message>
        <message>
            <source>%1 坐標 %2, %3 看來是度數；需要以公尺為單位的 TM2 橫坐標與縱坐標</source>
            <translation>%1 coordinates %2, %3 look like degrees; TM2 eastings and northings in metres are needed</translation>
        </message>
        <message>
            <source>%1 %2 不在 %3 子午線的 TM2 坐標範圍內（%4 至 %5 m）</source>
            <translation>%1 %2 is off the TM2 grid of the %3 meridian (%4 to %5 m)</translation>
        </message>
        <message>
            <source>TWD97 減 TWD67 為 %1, %2 m，方向相反：TWD67 與 TWD97 的欄位似乎對調了</source>
            <translation>TWD97 minus TWD67 is %1, %2 m, the wrong way round: the TWD67 and TWD97 columns look swapped</translation>
        </message>
        <message>
            <source>TWD97 減 TWD67 為 %1, %2 m，與一般的 +828, -207 m 相差超過 100 m；請檢查坐標</source>
            <translation>TWD97 minus TWD67 is %1, %2 m, more than 100 m from the usual +828, -207 m; check the coordinates</translation>
        </message>
        <message>
            <source>%1模型至少需要 %2 點，只有 %3 點</source>
            <translation>the %1 model needs at least %2 points, %3 given</translation>
        </message>
        <message>
            <source>與第 %1 行（%2）位置相同</source>
            <translation>in the same spot as line %1 (%2)</translation>
        </message>
        <message>
            <source>各點幾乎在一直線上（橫向散布 %1 m，沿線 %2 m）；%3模型需要兩個方向都有散布的點</source>
            <translation>the points lie on one line (spread %1 m across it, %2 m along it); the %3 model needs points spread in both directions</translation>
        </message>
        <message>
            <source>共同點無法使用</source>
            <translation>unusable common points</translation>
        </message>
        <message>
            <source>不是平面模型檔（第一行不是它的標頭）</source>
            <translation>not a plane model file (the first line is not its header)</translation>
        </message>
        <message>
            <source>不支援平面模型檔版本 %1</source>
            <translation>plane model file version %1 is not supported</translation>
        </message>
        <message>
            <source>缺少「%1」</source>
            <translation>expected "%1"</translation>
        </message>
        <message>
            <source>「%1」的值有誤：「%2」</source>
            <translation>"%1" has a bad value: "%2"</translation>
        </message>
        <message>
            <source>模型無法使用：%1</source>
            <translation>the model is unusable: %1</translation>
        </message>
        <message>
            <source>模型之後有多餘的文字：「%1」</source>
            <translation>unexpected text after the model: "%1"</translation>
        </message>
        <message>
            <source>無法讀取的平面模型檔</source>
            <translation>unreadable plane model file</translation>
        </message>
        <message>
            <source>以台灣公開共同點量得 RMS %1</source>
            <translation>RMS %1, measured on Taiwan's published common points</translation>
        </message>
        <message>
            <source>以澎湖公開共同點量得 RMS %1</source>
            <translation>RMS %1, measured on Penghu's published common points</translation>
        </message>
        <message>
            <source>此地區沒有共同點可量其精度</source>
            <translation>No common points here to measure its accuracy</translation>
        </message>
        <message>
            <source>%1，%2 點，留一法 RMS %3</source>
            <translation>%1, %2 points, leave-one-out RMS %3</translation>
        </message>
        <message>
            <source>此地區沒有內建模型</source>
            <translation>No built-in model for this region</translation>
        </message>
        <message>
            <source>台灣模型：%1</source>
            <translation>Taiwan model: %1</translation>
        </message>
        <message>
            <source>澎湖模型：%1。金門、馬祖沒有實測的 TWD67 坐標，也沒有模型：其資料為外推</source>
            <translation>Penghu: %1. Kinmen, Matsu extrapolate (no TWD67 observations, no model)</translation>
        </message>
        <message>
            <source>轉換方式 %1 不轉換基準，只有轉換方式 9–12、15、16 用得到基準轉換</source>
            <translation>mode %1 shifts no datum; a datum step applies only to modes 9–12, 15 and 16</translation>
        </message>
        <message>
            <source>地區 %1 沒有二度分帶坐標，不能用擬合的基準轉換</source>
            <translation>region %1 has no two-degree grid for a fitted datum step</translation>
        </message>
        <message>
            <source>地區 %1 沒有內建的共同點模型</source>
            <translation>region %1 has no built-in common-point model</translation>
        </message>
        <message>
            <source>擬合的基準轉換沒有模型</source>
            <translation>the fitted datum step has no model</translation>
        </message>
        <message>
            <source>模型擬合於 %1 子午線，地區 %2 的坐標卻在 %3 子午線</source>
            <translation>the model is fitted on the %1 meridian, but region %2's grid is on the %3 meridian</translation>
        </message>
        <message>
            <source>無法讀取模型檔 %1</source>
            <translation>cannot read model file %1</translation>
        </message>
        <message>
            <source>模型檔 %1：%2</source>
            <translation>model file %1: %2</translation>
        </message>
        <message>
            <source>無法使用的基準轉換</source>
            <translation>unusable datum step</translation>
        </message>
    </context>
    <context>
        <name>Messages</name>
        <message>
            <source>已完成!! 請按確定</source>
            <translation>Done!! Press OK</translation>
        </message>
        <message>
            <source>訊息</source>
            <translation>Message</translation>
        </message>
        <message>
            <source>沒有這個地區</source>
            <translation>No such region</translation>
        </message>
        <message>
            <source>沒有這個轉換方式</source>
            <translation>No such mode</translation>
        </message>
        <message>
            <source>無效的浮點運算</source>
            <translation>Invalid floating point operation</translation>
        </message>
        <message>
            <source>浮點除以零</source>
            <translation>Floating point division by zero</translation>
        </message>
        <message>
            <source>浮點溢位</source>
            <translation>Floating point overflow</translation>
        </message>
        <message>
            <source>%1 不存在</source>
            <translation>%1 not found</translation>
        </message>
        <message>
            <source>無法開啟檔案 %1</source>
            <translation>Cannot open file %1</translation>
        </message>
        <message>
            <source>無法建立檔案 %1</source>
            <translation>Cannot create file %1</translation>
        </message>
        <message>
            <source>無法讀取檔案 %1</source>
            <translation>Cannot read file %1</translation>
        </message>
        <message>
            <source>無法寫入檔案 %1</source>
            <translation>Cannot write file %1</translation>
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
            <source>沒有勾選任何檔案，沒有轉換。</source>
            <translation>No file is ticked; nothing was converted.</translation>
        </message>
        <message>
            <source>請先在步驟二選擇資料夾，沒有轉換。</source>
            <translation>Choose a folder in step 2 first; nothing was converted.</translation>
        </message>
        <message>
            <source>未能轉換：</source>
            <translation>Not converted:</translation>
        </message>
        <message>
            <source>略過（未覆蓋）：</source>
            <translation>Left out (not replaced):</translation>
        </message>
        <message>
            <source>略過（坐標看來不是來源坐標系統）：</source>
            <translation>Left out (the coordinates do not look like the source system):</translation>
        </message>
        <message>
            <source>未開始：%1 個檔案</source>
            <translation>Not begun: %1 files</translation>
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
            <source>轉換進行中。要停止轉換並關閉視窗嗎？目前的檔案不會寫出，之前的輸出保持原樣。</source>
            <translation>A conversion is in progress. Stop it and close the window? The file in progress will not be written; earlier outputs stay as they are.</translation>
        </message>
    </context>
    <context>
        <name>morvane::CheckTexts</name>
        <message>
            <source>非數值</source>
            <translation>NaN</translation>
        </message>
        <message>
            <source>無限大</source>
            <translation>infinity</translation>
        </message>
        <message>
            <source>負無限大</source>
            <translation>-infinity</translation>
        </message>
        <message>
            <source>橫坐標 %1 至 %2，縱坐標 %3 至 %4</source>
            <translation>x %1 to %2, y %3 to %4</translation>
        </message>
        <message>
            <source>台灣地區</source>
            <translation>Taiwan</translation>
        </message>
        <message>
            <source>澎湖、金門、馬祖</source>
            <translation>Penghu, Kinmen and Matsu</translation>
        </message>
        <message>
            <source>大陸地區</source>
            <translation>the mainland</translation>
        </message>
        <message>
            <source>1967 台灣大地基準</source>
            <translation>TWD67</translation>
        </message>
        <message>
            <source>1997 台灣大地基準</source>
            <translation>TWD97</translation>
        </message>
        <message>
            <source>1984 世界大地基準</source>
            <translation>WGS84</translation>
        </message>
        <message>
            <source>經緯度</source>
            <translation>longitude and latitude</translation>
        </message>
        <message>
            <source>二度分帶坐標</source>
            <translation>TM2 grid</translation>
        </message>
        <message>
            <source>三度分帶坐標</source>
            <translation>TM3 grid</translation>
        </message>
        <message>
            <source>通用橫麥卡托坐標</source>
            <translation>UTM grid</translation>
        </message>
        <message>
            <source>蘭勃特方格坐標</source>
            <translation>Lambert grid</translation>
        </message>
        <message>
            <source>%1的%2</source>
            <translation>%1 %2</translation>
        </message>
        <message>
            <source>（中央經線東經 %1°）</source>
            <translation> (central meridian %1°E)</translation>
        </message>
        <message>
            <source>；看來是另一地區（地區 %1，%2）的坐標</source>
            <translation>; they look like coordinates of another region (region %1, %2)</translation>
        </message>
        <message>
            <source>；看來是以度為單位的經緯度</source>
            <translation>; they look like longitude and latitude in degrees</translation>
        </message>
        <message>
            <source>；看來是橫麥卡托方格的公尺數</source>
            <translation>; they look like metres of a Transverse Mercator grid</translation>
        </message>
        <message>
            <source>；看來是蘭勃特方格的公尺數</source>
            <translation>; they look like metres of the Lambert grid</translation>
        </message>
        <message>
            <source>%1 沒有任何點。</source>
            <translation>%1 holds no points.</translation>
        </message>
        <message>
            <source>%1 有些坐標不是數值（非數值或無限大）。</source>
            <translation>%1 has coordinates that are not numbers (NaN or infinite).</translation>
        </message>
        <message>
            <source>%1 的坐標（%2）不在%3的%4合理範圍（%5）之內%6。</source>
            <translation>%1 has coordinates (%2) outside the plausible %4 of %3 (%5)%6.</translation>
        </message>
        <message>
            <source>%1 的坐標（%2）全在%3，應選地區 %4：那裡的方格有自己的中央經線。</source>
            <translation>%1 has coordinates (%2) all in %3; choose region %4, whose grids have a central meridian of their own.</translation>
        </message>
        <message>
            <source>%1 無法以轉換方式 %2 在地區 %3（%4）轉換：這個方式用地區的中央經線，而地區 %3 沒有設定，只適用蘭勃特轉換方式 7 和 8。</source>
            <translation>%1 cannot be converted by mode %2 in region %3 (%4): the mode converts on the central meridian of the region, and region %3 sets none; it is only for the Lambert modes 7 and 8.</translation>
        </message>
        <message>
            <source>%1 記載的是%2，但轉換方式 %3 的來源是%4。</source>
            <translation>%1 names the %2, but mode %3 converts from the %4.</translation>
        </message>
        <message>
            <source>%1（地區 %2）</source>
            <translation>%1 (region %2)</translation>
        </message>
        <message>
            <source>%1 的投影檔符合轉換方式 %2。</source>
            <translation>%1 has a .prj that fits modes %2.</translation>
        </message>
        <message>
            <source>、</source>
            <translation>, </translation>
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
        <name>morvane::DatumStepBox</name>
        <message>
            <source>C. 基準轉換</source>
            <translation>C. Datum step</translation>
        </message>
        <message>
            <source>殘差表…</source>
            <translation>Residuals…</translation>
        </message>
        <message>
            <source>七參數（標準）</source>
            <translation>Standard (7 parameters)</translation>
        </message>
        <message>
            <source>共同點（內建模型）</source>
            <translation>Common points (built-in)</translation>
        </message>
        <message>
            <source>由控制點擬合…</source>
            <translation>From control points…</translation>
        </message>
        <message>
            <source>已存模型檔…</source>
            <translation>Saved model file…</translation>
        </message>
        <message>
            <source>選擇控制點檔案</source>
            <translation>Choose a control-point file</translation>
        </message>
        <message>
            <source>共同點檔案 (*.csv *.txt);;所有檔案 (*)</source>
            <translation>Common-point files (*.csv *.txt);;All files (*)</translation>
        </message>
        <message>
            <source>選擇模型檔</source>
            <translation>Choose a model file</translation>
        </message>
        <message>
            <source>平面模型檔 (*.model);;所有檔案 (*)</source>
            <translation>Plane model files (*.model);;All files (*)</translation>
        </message>
        <message>
            <source>控制點檔案 %1 無法使用：%2</source>
            <translation>The control-point file %1 cannot be used: %2</translation>
        </message>
        <message>
            <source>此地區沒有 TM2 坐標可擬合</source>
            <translation>this region has no TM2 grid to fit on</translation>
        </message>
        <message>
            <source>模型檔 %1 無法使用：%2</source>
            <translation>The model file %1 cannot be used: %2</translation>
        </message>
        <message>
            <source>基準轉換：七參數（標準），%1</source>
            <translation>Datum step: standard (7 parameters), %1</translation>
        </message>
        <message>
            <source>基準轉換：內建共同點模型，%1</source>
            <translation>Datum step: built-in common-point model, %1</translation>
        </message>
        <message>
            <source>基準轉換：由控制點 %1 擬合，%2</source>
            <translation>Datum step: fitted to the control points of %1, %2</translation>
        </message>
        <message>
            <source>基準轉換：模型檔 %1，%2</source>
            <translation>Datum step: model file %1, %2</translation>
        </message>
        <message>
            <source>只用於轉換方式 09–12、15、16</source>
            <translation>Only for modes 09–12, 15 and 16</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
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
        <message>
            <source>確定</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>是</source>
            <translation>Yes</translation>
        </message>
        <message>
            <source>否</source>
            <translation>No</translation>
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
            <source>（取樣 %1 點）</source>
            <translation> (a sample of %1 points)</translation>
        </message>
        <message>
            <source>；無法繪出的點：轉換前 %1、轉換後 %2</source>
            <translation>; points that cannot be drawn: %1 before, %2 after</translation>
        </message>
        <message>
            <source>（只畫出每 %1 筆中的 1 筆，共 %2 筆）</source>
            <translation> (only 1 record in every %1 drawn, %2 in all)</translation>
        </message>
        <message>
            <source>= %1 m：共同點的留一法殘差</source>
            <translation>= %1 m: leave-one-out residuals of the common points</translation>
        </message>
    </context>
    <context>
        <name>morvane::Problems</name>
        <message>
            <source>（含高程）</source>
            <translation> with Z</translation>
        </message>
        <message>
            <source>（含量測值）</source>
            <translation> with M</translation>
        </message>
        <message>
            <source>點</source>
            <translation>Point</translation>
        </message>
        <message>
            <source>多點</source>
            <translation>MultiPoint</translation>
        </message>
        <message>
            <source>折線</source>
            <translation>PolyLine</translation>
        </message>
        <message>
            <source>多邊形</source>
            <translation>Polygon</translation>
        </message>
        <message>
            <source>多面片</source>
            <translation>MultiPatch</translation>
        </message>
        <message>
            <source>被截斷了</source>
            <translation>is cut short</translation>
        </message>
        <message>
            <source>的內容長度是 %1 字組</source>
            <translation>has a content length of %1 words</translation>
        </message>
        <message>
            <source>超出檔案結尾（%1 位元組，只剩 %2 位元組）</source>
            <translation>runs past the end of the file (%1 bytes, %2 left)</translation>
        </message>
        <message>
            <source>太短，放不下一個%1（%2 位元組）</source>
            <translation>is too short for a %1 (%2 bytes)</translation>
        </message>
        <message>
            <source>的點數是負數（%1）</source>
            <translation>has a negative number of points (%1)</translation>
        </message>
        <message>
            <source>有 %1 點，超過其 %2 位元組所能容納</source>
            <translation>has %1 points, more than its %2 bytes hold</translation>
        </message>
        <message>
            <source>的數目是負數（%1 部分、%2 點）</source>
            <translation>has a negative count (%1 parts, %2 points)</translation>
        </message>
        <message>
            <source>有 %1 部分、%2 點，超過其 %3 位元組所能容納</source>
            <translation>has %1 parts and %2 points, more than its %3 bytes hold</translation>
        </message>
        <message>
            <source>的第 %1 部分從第 %2 點開始，順序不對或超出其 %3 點</source>
            <translation>has part %1 starting at point %2, out of order or past its %3 points</translation>
        </message>
        <message>
            <source>的圖形類型 %1 不明</source>
            <translation>has the unknown shape type %1</translation>
        </message>
        <message>
            <source>%1 無法開啟：%2。</source>
            <translation>%1 cannot be opened: %2.</translation>
        </message>
        <message>
            <source>%1 無法開啟。</source>
            <translation>%1 cannot be opened.</translation>
        </message>
        <message>
            <source>%1 無法建立：%2。</source>
            <translation>%1 cannot be created: %2.</translation>
        </message>
        <message>
            <source>%1 無法建立。</source>
            <translation>%1 cannot be created.</translation>
        </message>
        <message>
            <source>%1 無法讀取：%2。</source>
            <translation>%1 cannot be read: %2.</translation>
        </message>
        <message>
            <source>%1 無法讀取。</source>
            <translation>%1 cannot be read.</translation>
        </message>
        <message>
            <source>%1 無法寫入：%2。</source>
            <translation>%1 cannot be written: %2.</translation>
        </message>
        <message>
            <source>%1 無法寫入。</source>
            <translation>%1 cannot be written.</translation>
        </message>
        <message>
            <source>無效的浮點運算</source>
            <translation>an invalid floating point operation</translation>
        </message>
        <message>
            <source>浮點除以零</source>
            <translation>a floating point division by zero</translation>
        </message>
        <message>
            <source>浮點溢位</source>
            <translation>a floating point overflow</translation>
        </message>
        <message>
            <source>不是一般檔案</source>
            <translation>it is not a regular file</translation>
        </message>
        <message>
            <source>沒有這個檔案或資料夾</source>
            <translation>there is no such file or folder</translation>
        </message>
        <message>
            <source>沒有權限</source>
            <translation>permission denied</translation>
        </message>
        <message>
            <source>不允許這項操作</source>
            <translation>the operation is not permitted</translation>
        </message>
        <message>
            <source>檔案系統是唯讀的</source>
            <translation>the file system is read-only</translation>
        </message>
        <message>
            <source>磁碟已滿</source>
            <translation>the disk is full</translation>
        </message>
        <message>
            <source>超過磁碟配額</source>
            <translation>the disk quota is exceeded</translation>
        </message>
        <message>
            <source>這是資料夾</source>
            <translation>it is a folder</translation>
        </message>
        <message>
            <source>路徑中有一段不是資料夾</source>
            <translation>a part of the path is not a folder</translation>
        </message>
        <message>
            <source>輸入輸出錯誤</source>
            <translation>an input/output error</translation>
        </message>
        <message>
            <source>檔案已存在</source>
            <translation>the file exists</translation>
        </message>
        <message>
            <source>開啟的檔案太多</source>
            <translation>too many files are open</translation>
        </message>
        <message>
            <source>檔名太長</source>
            <translation>the name is too long</translation>
        </message>
        <message>
            <source>檔案太大</source>
            <translation>the file is too large</translation>
        </message>
        <message>
            <source>裝置忙碌中</source>
            <translation>the device is busy</translation>
        </message>
        <message>
            <source>系統錯誤 %1</source>
            <translation>system error %1</translation>
        </message>
        <message>
            <source>%1 不是圖形檔。</source>
            <translation>%1 is not a shapefile.</translation>
        </message>
        <message>
            <source>%1 已損壞：檔頭不足 100 位元組。</source>
            <translation>%1 is damaged: its header is shorter than 100 bytes.</translation>
        </message>
        <message>
            <source>%1 已損壞：檔頭記載的長度是 %2 位元組，檔案只有 %3 位元組。</source>
            <translation>%1 is damaged: its header gives a length of %2 bytes, the file has %3.</translation>
        </message>
        <message>
            <source>%1 已損壞：第 %2 筆紀錄（位於第 %3 位元組）%4。</source>
            <translation>%1 is damaged: record %2 (at byte %3) %4.</translation>
        </message>
        <message>
            <source>%1 不存在，沒有它無法轉換。</source>
            <translation>%1 was not found; without it the shapefile cannot be converted.</translation>
        </message>
        <message>
            <source>%1 已存在，沒有覆蓋。</source>
            <translation>%1 already exists and was not replaced.</translation>
        </message>
        <message>
            <source>%1 無法轉換：%2。</source>
            <translation>%1 cannot be converted: %2.</translation>
        </message>
        <message>
            <source>%1 無法轉換：點 (%2, %3) 在蘭勃特方格之外。</source>
            <translation>%1 cannot be converted: the point (%2, %3) lies outside the Lambert grid.</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
    </context>
    <context>
        <name>morvane::ResidualTable</name>
        <message>
            <source>點號</source>
            <translation>Id</translation>
        </message>
        <message>
            <source>留一 dE</source>
            <translation>LOO dE</translation>
        </message>
        <message>
            <source>留一 dN</source>
            <translation>LOO dN</translation>
        </message>
        <message>
            <source>留一 d</source>
            <translation>LOO d</translation>
        </message>
        <message>
            <source>標記</source>
            <translation>Mark</translation>
        </message>
        <message>
            <source>離群</source>
            <translation>out of line</translation>
        </message>
    </context>
    <context>
        <name>morvane::ResidualWindow</name>
        <message>
            <source>儲存模型…</source>
            <translation>Save model…</translation>
        </message>
        <message>
            <source>共同點殘差</source>
            <translation>Common-point residuals</translation>
        </message>
        <message>
            <source>模型：</source>
            <translation>Model:</translation>
        </message>
        <message>
            <source>無法以%1模型擬合 %2：%3</source>
            <translation>The %1 model cannot be fitted to %2: %3</translation>
        </message>
        <message>
            <source>儲存模型</source>
            <translation>Save the model</translation>
        </message>
        <message>
            <source>平面模型檔 (*.model);;所有檔案 (*)</source>
            <translation>Plane model files (*.model);;All files (*)</translation>
        </message>
        <message>
            <source>%1（%2 子午線，%3 點）</source>
            <translation>%1 (%2 meridian, %3 points)</translation>
        </message>
        <message>
            <source>RMS %1　最大 %2　留一法 RMS %3　留一法最大 %4</source>
            <translation>RMS %1   max %2   leave-one-out RMS %3   leave-one-out max %4</translation>
        </message>
        <message>
            <source>離群點 %1 個：留一法殘差超過 %2</source>
            <translation>%1 points out of line: leave-one-out residual over %2</translation>
        </message>
    </context>
</TS>
