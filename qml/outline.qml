// The outline panel: a bar of buttons and a list of coloured cards, one per
// outline of the book on show, typed into directly. Every change goes
// through "outlineCtr"; the cards read "outlineModel" (ordered, filtered)
// and the book list "outlineBookModel".
import QtQuick 2.12
import QtQuick.Controls 2.12
import OutlineEnums 1.1
import "outline"
import "outline/outline.js" as OL

Item {
    id: root
    objectName: "outlinePanel"

    readonly property real s: outlineCtr.scale()
    // Type given to a new card.
    property int olType: 1
    property int filterT: 0
    // The filter whose icon the filter button shows.
    property int filterIconIndex: 0
    property real minCardHeight: 48 * s
    property bool allExpanded: false
    property int theme: outlineCtr.getTheme()
    property bool selectMode: false
    property string bookName: outlineCtr.bookName()
    property int checkState: outlineCtr.checkState

    // Every card leaves editing (create and settings buttons).
    signal leaveAll()

    width: 351 * s
    height: 1000 * s
    clip: true

    function applyTheme() {
        theme = outlineCtr.getTheme();
    }

    function chooseFilter(type) {
        filterT = type;
        filterIconIndex = type;
        outlineCtr.setFilter(type);
        filterPopup.close();
    }

    function createCard() {
        root.leaveAll();
        // With no filter chosen a new card is a book outline; the list keeps
        // showing every type.
        if (filterT === 0)
            filterT = 1;
        outlineCtr.create(filterT);
        olType = filterT;
    }

    Connections {
        target: outlineCtr
        function onSigBookName(name) {
            root.theme = outlineCtr.getTheme();
            root.bookName = name;
            bookPopup.close();
            filterPopup.close();
            root.filterT = 0;
            root.filterIconIndex = 0;
            outlineCtr.setFilter(0);
            dotAll.checked = true;
            root.olType = 1;
            root.selectMode = false;
            root.applyTheme();
        }
        function onSigHeight(height) {
            root.height = height;
        }
        function onSigTheme() {
            root.applyTheme();
        }
    }

    // ---- the bar ------------------------------------------------------------------
    Rectangle {
        id: bar
        objectName: "outlineBar"
        x: 10 * root.s
        y: 16 * root.s
        width: root.width - 20 * root.s
        height: 50 * root.s
        radius: 8 * root.s
        color: OL.barColor(root.theme)

        Row {
            id: normalBar
            visible: !root.selectMode
            x: 16 * root.s
            anchors.verticalCenter: parent.verticalCenter
            spacing: 12 * root.s

            IconButton {
                objectName: "hideButton"
                width: 20 * root.s; height: 20 * root.s
                anchors.verticalCenter: parent.verticalCenter
                defaultIcon: "qrc:/outline/image/btn_hide_1.svg"
                hoverIcon: "qrc:/outline/image/btn_hide_hover_1.svg"
                onBtnClicked: outlineCtr.hide()
            }
            Row {
                spacing: 6 * root.s
                anchors.verticalCenter: parent.verticalCenter
                Text {
                    id: bookNameText
                    objectName: "bookNameText"
                    anchors.verticalCenter: parent.verticalCenter
                    // The name and its brackets together take 118.
                    TextMetrics {
                        id: bracketMetrics
                        font: bookNameText.font
                        text: "《》"
                    }
                    TextMetrics {
                        id: bookNameMetrics
                        font: bookNameText.font
                        elide: Qt.ElideRight
                        elideWidth: 118 * root.s - bracketMetrics.advanceWidth
                        text: root.bookName
                    }
                    text: "《" + bookNameMetrics.elidedText + "》"
                    font.family: "Microsoft Yahei"
                    font.pixelSize: 15 * root.s
                    color: bookNameMouse.containsMouse ? "#B9BFCC" : "#FFFFFF"
                    MouseArea {
                        id: bookNameMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: bookPopup.open()
                    }
                }
                IconButton {
                    objectName: "createButton"
                    width: 20 * root.s; height: 20 * root.s
                    anchors.verticalCenter: parent.verticalCenter
                    defaultIcon: "qrc:/outline/image/btn_create_1.svg"
                    hoverIcon: "qrc:/outline/image/btn_create_hover_1.svg"
                    onBtnClicked: root.createCard()
                }
            }
            IconButton {
                objectName: "filterButton"
                width: 20 * root.s; height: 20 * root.s
                anchors.verticalCenter: parent.verticalCenter
                defaultIcon: OL.filterIcon(root.filterIconIndex, false)
                hoverIcon: OL.filterIcon(root.filterIconIndex, true)
                onBtnClicked: filterPopup.open()
            }
            IconButton {
                objectName: "expandAllButton"
                width: 20 * root.s; height: 20 * root.s
                anchors.verticalCenter: parent.verticalCenter
                checked: root.allExpanded
                defaultIcon: "qrc:/outline/image/btn_expand_1.svg"
                hoverIcon: "qrc:/outline/image/btn_expand_hover_1.svg"
                checkedIcon: "qrc:/outline/image/btn_contract_1.svg"
                checkedHoverIcon: "qrc:/outline/image/btn_contract_hover_1.svg"
                onBtnClicked: {
                    root.allExpanded = !root.allExpanded;
                    outlineCtr.expandAll(root.allExpanded);
                }
            }
            IconButton {
                objectName: "settingButton"
                width: 20 * root.s; height: 20 * root.s
                anchors.verticalCenter: parent.verticalCenter
                defaultIcon: "qrc:/outline/image/btn_setting_1.svg"
                hoverIcon: "qrc:/outline/image/btn_setting_hover_1.svg"
                onBtnClicked: {
                    root.selectMode = true;
                    root.leaveAll();
                }
            }
            IconButton {
                objectName: "closeButton"
                width: 20 * root.s; height: 20 * root.s
                anchors.verticalCenter: parent.verticalCenter
                defaultIcon: "qrc:/outline/image/btn_close_1.svg"
                hoverIcon: "qrc:/outline/image/btn_close_hover_1.svg"
                onBtnClicked: outlineCtr.close()
            }
        }

        Row {
            id: selectBar
            visible: root.selectMode
            anchors.centerIn: parent
            spacing: 38 * root.s
            readonly property bool anyChecked: root.checkState !== Enums.ENUM_UNCHECKED
            readonly property bool allChecked: (root.checkState & Enums.ENUM_CHECKEDALL) !== 0
            readonly property color disabledColor: root.theme === 2 ? "#6B6B6B" : "#E6E6E6"

            Button_1 {
                objectName: "doneButton"
                width: 36 * root.s; height: 24 * root.s
                text: qsTr("完成")
                fontPixelSize: 15 * root.s
                textHoverColor: "#B9BFCC"
                textDisabledColor: selectBar.disabledColor
                onBtnClicked: {
                    root.selectMode = false;
                    outlineCtr.checkAll(false);
                }
            }
            Button_1 {
                objectName: "exportButton"
                width: 36 * root.s; height: 24 * root.s
                text: qsTr("导出")
                enabled: selectBar.anyChecked
                fontPixelSize: 15 * root.s
                textHoverColor: "#B9BFCC"
                textDisabledColor: selectBar.disabledColor
                onBtnClicked: if (enabled) outlineCtr.exportAll()
            }
            Button_1 {
                objectName: "selectAllButton"
                width: 36 * root.s; height: 24 * root.s
                text: selectBar.allChecked ? qsTr("取消") : qsTr("全选")
                fontPixelSize: 15 * root.s
                textHoverColor: "#B9BFCC"
                textDisabledColor: selectBar.disabledColor
                onBtnClicked: outlineCtr.checkAll(!selectBar.allChecked)
            }
            Button_1 {
                objectName: "deleteButton"
                width: 36 * root.s; height: 24 * root.s
                text: qsTr("删除")
                enabled: selectBar.anyChecked
                fontPixelSize: 15 * root.s
                textHoverColor: "#B9BFCC"
                textDisabledColor: selectBar.disabledColor
                onBtnClicked: if (enabled) outlineCtr.removeAll()
            }
        }
    }

    // ---- the book list --------------------------------------------------------------
    Popup {
        id: bookPopup
        objectName: "bookListPopup"
        x: 40 * root.s
        y: 60 * root.s
        width: 168 * root.s
        height: (Math.min(bookList.count, 8) * 24 + 32) * root.s
        modal: true
        Overlay.modal: Rectangle { color: "transparent" }
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
        leftPadding: 16 * root.s
        rightPadding: 16 * root.s
        topPadding: 12 * root.s
        bottomPadding: 14 * root.s
        background: Rectangle {
            radius: 8 * root.s
            color: "#212121"
            opacity: 0.9
        }
        contentItem: ListView {
            id: bookList
            clip: true
            model: outlineBookModel
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: bookList.count > 8 ? ScrollBar.AsNeeded : ScrollBar.AlwaysOff }
            delegate: Text {
                width: bookList.width
                height: 24 * root.s
                verticalAlignment: Text.AlignVCenter
                text: bookName
                elide: Text.ElideRight
                font.family: "Microsoft Yahei"
                font.pixelSize: 15 * root.s
                color: bookRowMouse.containsMouse ? "#B9BFCC" : "#FFFFFF"
                MouseArea {
                    id: bookRowMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: {
                        bookPopup.close();
                        outlineCtr.toggleBook(bookLocalId);
                    }
                }
            }
        }
    }

    // ---- the colour filter ----------------------------------------------------------
    Popup {
        id: filterPopup
        objectName: "filterPopup"
        x: 126 * root.s
        y: 54 * root.s
        width: 168 * root.s
        height: 34 * root.s
        modal: true
        Overlay.modal: Rectangle { color: "transparent" }
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
        padding: 0
        background: Image {
            source: "qrc:/outline/image/filter_color_bg.svg"
            sourceSize: Qt.size(width, height)
        }
        contentItem: Item {
            Row {
                anchors.centerIn: parent
                spacing: 10 * root.s
                Button_2 {
                    id: dotAll
                    width: 20 * root.s; height: 20 * root.s
                    checked: true
                    icon: "qrc:/outline/image/filter_color_all.svg"
                    iconSize: 16 * root.s
                    onBtnClicked: { checked = true; root.chooseFilter(0); }
                }
                Repeater {
                    model: ["#FF8AA6", "#FFD36D", "#6FE9DF", "#9292FB"]
                    Button_2 {
                        width: 20 * root.s; height: 20 * root.s
                        bgColor: modelData
                        checked: root.filterIconIndex === index + 1 && !dotAll.checked
                        onBtnClicked: { dotAll.checked = false; root.chooseFilter(index + 1); }
                    }
                }
            }
        }
    }

    // ---- the cards ------------------------------------------------------------------
    ScrollBar {
        id: listBar
        parent: root
        x: 333 * root.s
        y: cardList.y
        width: 8 * root.s
        height: cardList.height
    }

    ListView {
        id: cardList
        objectName: "cardList"
        x: 10 * root.s
        y: bar.height + 26 * root.s
        width: root.width - 20 * root.s
        height: root.height - y
        clip: true
        model: outlineModel
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: listBar
        move: Transition { NumberAnimation { properties: "x,y"; duration: 200 } }
        moveDisplaced: Transition { NumberAnimation { properties: "x,y"; duration: 200 } }
        displaced: Transition { NumberAnimation { properties: "x,y"; duration: 200 } }

        delegate: OutlineCard {
            width: cardList.width
            cLocalId: localId
            cType: outlineType
            cContent: outlineContent
            cChecked: isCheckedC
            cExpand: isExpand
            cMoveLine: moveLine
            row: index
            panel: root
            list: cardList
        }
    }
}
