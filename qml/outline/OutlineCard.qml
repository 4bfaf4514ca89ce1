// One outline card of the panel's list: typed into after a double click,
// saved through "outlineCtr", dragged to reorder.
import QtQuick 2.12
import QtQuick.Controls 2.12
import "outline.js" as OL

Item {
    id: cell

    property Item panel
    property ListView list
    readonly property real s: panel ? panel.s : 1

    // The row's roles, given by the list.
    property int cLocalId: 0
    property int cType: 1
    property string cContent: ""
    property bool cChecked: false
    property bool cExpand: false
    property int cMoveLine: -1
    property int row: -1

    // True from the start of editing to its end, whatever the focus does
    // while the widget hands its focus back and forth.
    property bool editingNow: false
    // A new card is hidden until its text area has the focus.
    property bool shown: cLocalId !== 0
    readonly property bool multiLine: textArea.lineCount > 1
    readonly property bool opened: editingNow || cExpand
    readonly property color cardColor: OL.typeColor(cLocalId === 0 ? panel.olType : cType)

    height: card.height + 12 * s
    visible: shown
    z: cardMouse.drag.active ? 10 : 1

    onCLocalIdChanged: focusTimer.restart()
    Component.onCompleted: if (cLocalId === 0) focusTimer.restart()

    // Typed text is stored once the keys stop for a second (a run of typing
    // without a pause at the latest after five, a refused save again five
    // seconds later), with the card still open.
    property double unsavedSince: 0
    Timer {
        id: pauseTimer
        interval: 1000
        onTriggered: cell.storeTyped()
    }

    Timer {
        id: focusTimer
        interval: 100
        onTriggered: {
            cell.shown = true;
            if (cell.cLocalId === 0)
                textArea.forceActiveFocus();
        }
    }

    function beginEdit() {
        if (editingNow || panel.selectMode)
            return;
        editingNow = true;
        outlineCtr.clearFocus();
        textArea.cursorPosition = textArea.length;
        outlineCtr.edit(cLocalId, true);
    }

    function leave() {
        if (!editingNow)
            return;
        pauseTimer.stop();
        editingNow = false;
        textArea.cursorPosition = 0;
        textFlick.contentY = 0;
        var text = textArea.text;
        var id = cLocalId;
        if (id === 0) {
            if (text.length === 0) {
                // An empty new card goes without asking; this card goes with it.
                outlineCtr.remove(0);
                return;
            }
            outlineCtr.create(panel.olType, text);
            outlineCtr.statistics(text.length);
        } else if (text !== cContent) {
            var grown = text.length - cContent.length;
            if (outlineCtr.update(id, cType, text))
                outlineCtr.statistics(grown);
        }
        contextMenu.close();
        outlineCtr.edit(cLocalId, false);
    }

    function typed() {
        if (!editingNow)
            return;
        var text = textArea.text;
        if (cLocalId === 0) {
            if (text.length > 0) {
                outlineCtr.create(panel.olType, text);
                outlineCtr.statistics(text.length);
            }
            return;
        }
        if (text.length > 20000 && text.length !== cContent.length)
            outlineCtr.showTip(qsTr("大纲最多可编辑2万字，你已超过限制"));
        var grown = text.length - cContent.length;
        if (Math.abs(grown) > 10) {
            storeTyped();
            return;
        }
        if (text === cContent) {
            pauseTimer.stop();
            return;
        }
        var now = Date.now();
        if (!pauseTimer.running)
            unsavedSince = now;
        if (!pauseTimer.running || now - unsavedSince < 5000) {
            pauseTimer.interval = 1000;
            pauseTimer.restart();
        }
    }

    // The text typed since the last save, stored with the card still open;
    // one the database refuses stays in the card and is tried again.
    function storeTyped() {
        pauseTimer.stop();
        if (!editingNow || cLocalId === 0)
            return;
        var text = textArea.text;
        if (text === cContent)
            return;
        var grown = text.length - cContent.length;
        if (outlineCtr.update(cLocalId, cType, text)) {
            outlineCtr.statistics(grown);
            return;
        }
        pauseTimer.interval = 5000;
        pauseTimer.start();
    }

    Connections {
        target: outlineCtr
        function onSigStoreTyped() {
            cell.storeTyped();
        }
    }

    Connections {
        target: panel
        function onLeaveAll() {
            if (cell.editingNow) {
                cell.leave();
                panel.forceActiveFocus();
            }
        }
    }

    // Drop indicators above and below.
    Rectangle {
        y: 3 * cell.s
        width: parent.width
        height: 1
        color: "#3470FF"
        visible: cell.cMoveLine === 0
    }
    Rectangle {
        y: card.height + 9 * cell.s
        width: parent.width
        height: 1
        color: "#3470FF"
        visible: cell.cMoveLine === 1
    }

    Rectangle {
        id: card
        y: 6 * cell.s
        width: cell.editingNow ? cell.width
                               : Math.max(100 * cell.s, Math.min(textWidth.advanceWidth + 48 * cell.s, cell.width))
        height: chooser.height + textBox.height + saveBar.height
        radius: height > 48 ? 8 * cell.s : 23 * cell.s
        color: cell.cardColor

        TextMetrics {
            id: textWidth
            font: textArea.font
            text: cell.cContent.length > 0 ? cell.cContent.split("\n")[0] : OL.placeholder(panel.olType)
        }

        states: State {
            when: cardMouse.drag.active
            ParentChange { target: card; parent: cell.panel }
            PropertyChanges { target: card; opacity: 0.8 }
        }

        // Type chooser, while editing.
        Row {
            id: chooser
            visible: cell.editingNow
            height: visible ? 32 * cell.s : 0
            width: parent.width
            Repeater {
                model: [qsTr("本书概要"), qsTr("情节概要"), qsTr("人物概要"), qsTr("其他")]
                Rectangle {
                    width: chooser.width / 4
                    height: 32 * cell.s
                    radius: 4 * cell.s
                    color: OL.typeColor(index + 1)
                    Text {
                        anchors.centerIn: parent
                        text: modelData
                        color: "black"
                        font.family: "Microsoft Yahei"
                        font.pixelSize: 12 * cell.s
                    }
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: {
                            var type = index + 1;
                            cell.panel.olType = type;
                            if (cell.cLocalId > 0 && cell.cType !== type)
                                outlineCtr.update(cell.cLocalId, type, textArea.text);
                        }
                    }
                }
            }
        }

        Item {
            id: textBox
            y: chooser.height
            width: parent.width
            height: {
                if (textArea.length === 0 || !cell.opened)
                    return 48 * cell.s;
                return Math.min(textArea.contentHeight + 28 * cell.s, 255 * cell.s);
            }
            clip: true
            // The software renderer repaints only what it saw change: a
            // grown clip must repaint the lines it uncovers.
            onHeightChanged: textArea.update()

            Flickable {
                id: textFlick
                anchors.fill: parent
                interactive: cell.editingNow
                boundsBehavior: Flickable.StopAtBounds
                contentWidth: width
                contentHeight: textArea.implicitHeight
                // Hidden by opacity, not visibility: a text edit that changes
                // while invisible may not repaint all of its lines later.
                opacity: cell.opened || !cell.multiLine ? 1 : 0
                ScrollBar.vertical: ScrollBar { active: cell.editingNow }

                TextArea.flickable: TextArea {
                    id: textArea
                    objectName: "cardText"
                    text: cell.cContent
                    readOnly: !cell.editingNow && cell.cLocalId !== 0
                    activeFocusOnPress: cell.editingNow
                    wrapMode: TextEdit.WrapAnywhere
                    font.family: "Microsoft Yahei"
                    font.pixelSize: 15 * cell.s
                    color: "black"
                    selectByMouse: true
                    leftPadding: 20 * cell.s
                    rightPadding: 20 * cell.s
                    topPadding: 14 * cell.s
                    bottomPadding: 14 * cell.s
                    placeholderText: OL.placeholder(cell.panel.olType)
                    placeholderTextColor: "#80525252"
                    background: null
                    onTextChanged: cell.typed()
                    onActiveFocusChanged: {
                        if (activeFocus)
                            cell.beginEdit();
                        else if (!outlineCtr.isRefocusing())
                            cell.leave();
                    }
                    onCursorRectangleChanged: {
                        if (!cell.editingNow)
                            return;
                        if (cursorRectangle.y < textFlick.contentY)
                            textFlick.contentY = cursorRectangle.y;
                        else if (cursorRectangle.y + cursorRectangle.height > textFlick.contentY + textFlick.height)
                            textFlick.contentY = cursorRectangle.y + cursorRectangle.height - textFlick.height
                                                 + bottomPadding;
                    }

                    MouseArea {
                        anchors.fill: parent
                        enabled: cell.editingNow
                        acceptedButtons: Qt.RightButton
                        onPressed: contextMenu.popup()
                    }
                }
            }

            // Folded and more than one line: one elided line.
            Text {
                anchors.fill: parent
                leftPadding: 20 * cell.s
                rightPadding: 20 * cell.s
                verticalAlignment: Text.AlignVCenter
                visible: textFlick.opacity === 0
                text: cell.cContent.replace(/\n/g, " ")
                elide: Text.ElideRight
                maximumLineCount: 1
                font: textArea.font
                color: "black"
            }
        }

        // Save bar, while editing.
        Item {
            id: saveBar
            y: chooser.height + textBox.height
            visible: cell.editingNow
            width: parent.width
            height: visible ? 29 * cell.s : 0
            IconButton {
                x: 20 * cell.s
                anchors.verticalCenter: parent.verticalCenter
                width: 20 * cell.s; height: 20 * cell.s
                defaultIcon: "qrc:/outline/image/btn_delete.svg"
                hoverIcon: "qrc:/outline/image/btn_delete_hover.svg"
                onBtnClicked: outlineCtr.remove(cell.cLocalId)
            }
            IconButton {
                anchors.right: parent.right
                anchors.rightMargin: 20 * cell.s
                anchors.verticalCenter: parent.verticalCenter
                width: 20 * cell.s; height: 20 * cell.s
                defaultIcon: "qrc:/outline/image/btn_save.svg"
                hoverIcon: "qrc:/outline/image/btn_save_hover.svg"
                onBtnClicked: {
                    cell.leave();
                    cell.panel.forceActiveFocus();
                }
            }
        }

        // Double click to edit, press and drag to reorder, click to check.
        MouseArea {
            id: cardMouse
            anchors.fill: parent
            enabled: !cell.editingNow
            drag.target: cell.panel.selectMode ? null : card
            drag.axis: Drag.YAxis
            drag.minimumY: cell.list.y - 5 * cell.s
            drag.maximumY: cell.list.y + cell.list.height
            property real savedContentY: 0

            function rowAt(mouse) {
                var p = mapToItem(cell.list, mouse.x, mouse.y);
                return { row: cell.list.indexAt(p.x, p.y + cell.list.contentY), nearTop: p.y < 10 * cell.s };
            }

            onPressed: savedContentY = cell.list.contentY
            onDoubleClicked: {
                if (cell.panel.selectMode)
                    return;
                textArea.forceActiveFocus();
            }
            onClicked: {
                if (cell.panel.selectMode)
                    outlineCtr.check(cell.cLocalId, !cell.cChecked);
            }
            onPositionChanged: {
                if (!drag.active)
                    return;
                var at = rowAt(mouse);
                outlineCtr.moveLine(at.row, !at.nearTop);
            }
            onReleased: {
                if (!drag.active)
                    return;
                var at = rowAt(mouse);
                var from = cell.row;
                var to = at.row;
                var contentY = savedContentY;
                if (to < 0) {
                    outlineCtr.moveLine(-1);
                } else {
                    if (!at.nearTop && to < from)
                        to += 1;
                    outlineCtr.move(from, to, 1);
                }
                cell.list.contentY = contentY;
            }
        }

        // Fold button, or the check button in selection mode.
        IconButton {
            anchors.right: parent.right
            anchors.rightMargin: 4 * cell.s
            y: 16 * cell.s
            width: 16 * cell.s; height: 16 * cell.s
            visible: !cell.panel.selectMode && cell.multiLine && !cell.editingNow
            checked: cell.cExpand
            defaultIcon: "qrc:/outline/image/btn_list_expand.svg"
            checkedIcon: "qrc:/outline/image/btn_list_contract.svg"
            onBtnClicked: outlineCtr.expand(cell.cLocalId, !cell.cExpand)
        }
        IconButton {
            anchors.right: parent.right
            anchors.rightMargin: 4 * cell.s
            y: 16 * cell.s
            width: 16 * cell.s; height: 16 * cell.s
            visible: cell.panel.selectMode
            checked: cell.cChecked
            defaultIcon: "qrc:/outline/image/btn_unchecked.svg"
            checkedIcon: "qrc:/outline/image/btn_checked.svg"
            onBtnClicked: outlineCtr.check(cell.cLocalId, !cell.cChecked)
        }

        // Unchecked cards fade in selection mode.
        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            color: "white"
            opacity: 0.3
            visible: cell.panel.selectMode && !cell.cChecked
        }
    }

    Menu {
        id: contextMenu
        focus: false
        width: 92 * cell.s
        height: 112 * cell.s
        padding: 6 * cell.s
        background: Rectangle {
            radius: 6 * cell.s
            color: OL.menuColor(cell.panel.theme)
        }
        delegate: MenuItem {
            id: menuItem
            height: 25 * cell.s
            contentItem: Text {
                text: menuItem.text
                font.pixelSize: 12 * cell.s
                color: OL.menuTextColor(cell.panel.theme)
                verticalAlignment: Text.AlignVCenter
                leftPadding: 10 * cell.s
            }
            background: Rectangle {
                color: menuItem.highlighted ? OL.menuHoverColor(cell.panel.theme) : "transparent"
            }
        }
        Action { text: qsTr("全选"); onTriggered: textArea.selectAll() }
        Action { text: qsTr("复制"); onTriggered: textArea.copy() }
        Action { text: qsTr("粘贴"); onTriggered: textArea.paste() }
        Action { text: qsTr("剪切"); onTriggered: textArea.cut() }
    }
}
