<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Sample</name>
    <message>
        <source>済み</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>未訳</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
