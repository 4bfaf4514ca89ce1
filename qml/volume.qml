import QtQuick 2.12
import QtQuick.Controls 2.12

// The volume/chapter tree of the writing window. Everything it changes goes
// through volumeCtr; rows given to it are rows of the lists as shown.
Rectangle {
    id: root
    width: 260
    height: 600

    property real s: volumeCtr.scale()
    property int theme: volumeCtr.getTheme()
    property int sortType: volumeCtr.getSort()
    property int rowHeight: Math.round(40 * s)
    property int dragThreshold: Math.round(18 * s)

    function pick(list) { return (theme >= 1 && theme <= 5) ? list[theme - 1] : list[0] }
    property color backColor: pick(["#FFFFFF", "#1F2021", "#B8E5CF", "transparent", "transparent"])
    property color hoverColor: pick(["#CED4E4", "#616161", "#90D7BB", "#99CCA159", "#CED4E4"])
    property color selectedRowColor: pick(["#51A8FF", "#51A8FF", "#17B978", "#CCB88F49", "#51A8FF"])
    property color textColor: pick(["#666666", "#999999", "#999999", "#333333", "#666666"])
    property color selectedVolumeText: pick(["#51A8FF", "#51A8FF", "#17B978", "#996100", "#51A8FF"])
    property color editorBorder: theme === 3 ? "#60BF8F" : "#3470FF"
    property color lineColor: "#3470FF"

    // A drag in progress: kind 0 none, 1 volume, 2 chapter.
    property int dragKind: 0
    property int dragFrom: -1
    property int dragVolumeId: -1
    property int dropTarget: -1
    property int dropVolumeId: -1
    property bool dropBottom: false
    property bool dropOnTitle: false

    color: backColor

    Connections {
        target: volumeCtr
        function onSigTheme() { root.theme = volumeCtr.getTheme() }
        function onSigSort(type) { root.sortType = type }
        // Moving the focus away closes an open title editor, which stores
        // what was typed first.
        function onSigEndEditing() { root.forceActiveFocus() }
        function onSigVolumeAdd(sort) {
            if (sort === 0) volumeList.positionViewAtEnd()
            else if (sort === 1) volumeList.positionViewAtBeginning()
        }
        function onSigShowChapter(volumeRow, chapterRow) {
            root.shownVolume = volumeRow
            root.shownChapter = chapterRow
            Qt.callLater(root.showChapter)
        }
    }

    // A title box stores what was typed when the author confirms it: Enter,
    // or moving on to another place of the window. The window losing the
    // keyboard (another window, a menu, a sign-out or a quit hiding it) is
    // no answer: the box closes with the title unchanged.
    function confirmedBy(reason) {
        return reason !== Qt.ActiveWindowFocusReason && reason !== Qt.PopupFocusReason
    }
    // The program putting its windows out of sight takes the keyboard from
    // the box for a while only: it stays open with what was typed.
    function keptOpen(reason) {
        return reason === Qt.ActiveWindowFocusReason && volumeCtr.putAway()
    }

    // Scrolls the list the least that shows the part of its content from
    // top, of that height.
    function showSpan(top, height) {
        if (top < volumeList.contentY)
            volumeList.contentY = top
        else if (top + height > volumeList.contentY + volumeList.height)
            volumeList.contentY = top + height - volumeList.height
    }
    function showItem(item) {
        // A row rebuilt meanwhile is gone.
        if (item)
            showSpan(item.mapToItem(volumeList.contentItem, 0, 0).y, item.height)
    }

    // A chapter row to bring into view once the list has its size and rows
    // (a book opens before its pane is shown).
    property int shownVolume: -1
    property int shownChapter: -1
    function showChapter() {
        if (shownVolume < 0 || volumeList.height <= 0)
            return
        if (volumeList.itemAtIndex(shownVolume) === null)
            volumeList.positionViewAtIndex(shownVolume, ListView.Beginning)
        var volume = volumeList.itemAtIndex(shownVolume)
        if (volume !== null)
            showSpan(volume.y + rowHeight * (shownChapter + 1), rowHeight)
        shownVolume = -1
    }

    component ToolIcon: Rectangle {
        id: toolIcon
        property string glyph
        property string tip
        property bool pressedState: false
        signal activated()
        width: Math.round(40 * root.s)
        height: width
        radius: Math.round(6 * root.s)
        color: pressedState || toolArea.pressed ? root.selectedRowColor
                                                : (toolArea.containsMouse ? root.hoverColor : "transparent")
        opacity: enabled ? 1.0 : 0.4
        Text {
            anchors.centerIn: parent
            text: toolIcon.glyph
            font.pixelSize: Math.round(15 * root.s)
            font.bold: true
            color: toolIcon.pressedState ? "#FFFFFF" : root.textColor
        }
        MouseArea {
            id: toolArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: toolIcon.activated()
        }
        ToolTip.visible: toolArea.containsMouse && tip.length > 0
        ToolTip.text: tip
        ToolTip.delay: 600
    }

    Item {
        id: topBar
        width: parent.width
        height: Math.round(104 * s)
        Row {
            y: Math.round(48 * s)
            anchors.horizontalCenter: parent.horizontalCenter
            // The four tools always fit the panel: the gaps give way first.
            spacing: Math.max(0, Math.min(Math.round(16 * s), Math.floor((topBar.width - 4 * newVolumeButton.width) / 5)))
            ToolIcon {
                id: newVolumeButton
                glyph: "+卷"
                tip: qsTr("create volume")
                onActivated: { volumeCtr.createNewVolume(); enabled = false; volumeTimer.start() }
                Timer { id: volumeTimer; interval: 500; onTriggered: newVolumeButton.enabled = true }
            }
            ToolIcon {
                id: newChapterButton
                glyph: "+章"
                tip: qsTr("create chapter")
                onActivated: { volumeCtr.createNewChapter(); enabled = false; chapterTimer.start() }
                Timer { id: chapterTimer; interval: 500; onTriggered: newChapterButton.enabled = true }
            }
            ToolIcon {
                glyph: "回收"
                tip: qsTr("recycle bin")
                onActivated: volumeCtr.openRecycleBin()
            }
            ToolIcon {
                glyph: root.sortType === 0 ? "↓" : "↑"
                tip: qsTr("sort")
                pressedState: root.sortType !== 0
                onActivated: volumeCtr.sortChapters()
            }
        }
    }

    ListView {
        id: volumeList
        objectName: "volumeList"
        anchors.top: topBar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        clip: true
        model: volumeModel
        boundsBehavior: Flickable.StopAtBounds
        interactive: root.dragKind === 0
        onHeightChanged: Qt.callLater(root.showChapter)
        ScrollBar.vertical: ScrollBar {}

        // Scrolls while a drag nears an edge.
        Timer {
            id: edgeScroll
            property int step: 0
            interval: 30
            repeat: true
            running: root.dragKind !== 0 && step !== 0
            onTriggered: {
                volumeList.contentY = Math.max(0, Math.min(volumeList.contentHeight - volumeList.height,
                                                           volumeList.contentY + step))
            }
        }

        delegate: Item {
            id: volumeDelegate
            property int volumeIndex: index
            property int volumeLocalId: localId
            property var chapters: volumeCtr.getChapterSortModel(index)
            property bool locked: bookId === -1024
            property alias chapterView: chapterList
            width: volumeList.width
            height: root.rowHeight + (isExpand && chapters ? chapterList.count * root.rowHeight : 0)

            Rectangle {
                id: lineAbove
                width: parent.width
                height: Math.round(2 * root.s)
                color: volumeMoveLine === 0 ? root.lineColor : "transparent"
            }
            Rectangle {
                id: titleRow
                objectName: "volumeTitle"
                y: lineAbove.height
                width: parent.width
                height: Math.round(36 * root.s)
                color: titleArea.containsMouse ? root.hoverColor : "transparent"
                Text {
                    id: arrow
                    x: Math.round(12 * root.s)
                    anchors.verticalCenter: parent.verticalCenter
                    text: isExpand ? "▾" : "▸"
                    color: volumeSelected ? root.selectedVolumeText : root.textColor
                    font.pixelSize: Math.round(14 * root.s)
                }
                Text {
                    id: volumeTitle
                    visible: !volumeEditing
                    anchors.left: arrow.right
                    anchors.leftMargin: Math.round(8 * root.s)
                    anchors.right: parent.right
                    anchors.rightMargin: Math.round(8 * root.s)
                    anchors.verticalCenter: parent.verticalCenter
                    text: volumeName
                    elide: Text.ElideRight
                    font.pixelSize: Math.round(14 * root.s)
                    font.bold: true
                    color: volumeSelected ? root.selectedVolumeText : root.textColor
                }
                TextField {
                    id: volumeEditor
                    visible: volumeEditing
                    // The row's height, where the title is: the title is
                    // only as tall as its text.
                    anchors.left: volumeTitle.left
                    anchors.right: volumeTitle.right
                    anchors.verticalCenter: parent.verticalCenter
                    height: parent.height - Math.round(8 * root.s)
                    font.pixelSize: Math.round(13 * root.s)
                    padding: Math.round(2 * root.s)
                    background: Rectangle { border.color: root.editorBorder; border.width: 1; color: root.backColor }
                    color: root.textColor
                    objectName: "volumeNameBox"
                    // Set by Escape: the box closes with the title unchanged.
                    property bool dropped: false
                    function open() {
                        dropped = false; text = volumeName; forceActiveFocus(); selectAll(); volumeCtr.takeKeys()
                    }
                    onVisibleChanged: if (visible) open()
                    Component.onCompleted: if (visible) open()
                    onActiveFocusChanged: {
                        if (!activeFocus && visible && !root.keptOpen(focusReason)) {
                            if (!dropped && root.confirmedBy(focusReason) && text.length > 0 && text !== volumeName)
                                volumeCtr.changeVolumeName(volumeDelegate.volumeIndex, text)
                            volumeCtr.editVolume(volumeDelegate.volumeIndex, false)
                        }
                    }
                    onAccepted: focus = false
                    Keys.onEscapePressed: { dropped = true; focus = false }
                }
                MouseArea {
                    id: titleArea
                    anchors.fill: parent
                    enabled: !volumeEditing
                    hoverEnabled: true
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    property point pressPoint
                    onPressed: {
                        pressPoint = Qt.point(mouse.x, mouse.y)
                        if (mouse.button === Qt.LeftButton)
                            volumeCtr.selectedVolume(volumeDelegate.volumeIndex)
                    }
                    onClicked: {
                        if (mouse.button === Qt.RightButton) {
                            if (!volumeDelegate.locked) {
                                var p = mapToGlobal(mouse.x, mouse.y)
                                volumeCtr.openMenu(0, Qt.point(p.x, p.y), localId, -1)
                            }
                        } else if (root.dragKind === 0) {
                            volumeCtr.expand(localId, !isExpand)
                        }
                    }
                    onDoubleClicked: if (!volumeDelegate.locked && mouse.button === Qt.LeftButton)
                                         volumeCtr.editVolume(volumeDelegate.volumeIndex, true)
                    onPositionChanged: {
                        if (!pressed || volumeDelegate.locked || !(mouse.buttons & Qt.LeftButton))
                            return
                        if (root.dragKind === 0 && Math.abs(mouse.y - pressPoint.y) > root.dragThreshold) {
                            root.dragKind = 1
                            root.dragFrom = volumeDelegate.volumeIndex
                            volumeCtr.expand(localId, false)
                        }
                        if (root.dragKind === 1)
                            root.trackVolumeDrag(mapToItem(volumeList.contentItem, mouse.x, mouse.y))
                    }
                    onReleased: {
                        if (root.dragKind !== 1)
                            return
                        root.dropVolume()
                    }
                }
            }
            Rectangle {
                y: titleRow.y + titleRow.height
                width: parent.width
                height: Math.round(2 * root.s)
                color: volumeMoveLine === 1 ? root.lineColor : "transparent"
            }

            ListView {
                id: chapterList
                objectName: "chapterList"
                y: root.rowHeight
                width: parent.width
                height: count * root.rowHeight
                visible: isExpand
                interactive: false
                model: volumeDelegate.chapters
                delegate: Item {
                    id: chapterDelegate
                    property int chapterIndex: index
                    width: chapterList.width
                    height: root.rowHeight
                    Rectangle {
                        width: parent.width
                        height: Math.round(2 * root.s)
                        color: moveLine === 0 ? root.lineColor : "transparent"
                    }
                    Rectangle {
                        id: chapterRow
                        y: Math.round(2 * root.s)
                        width: parent.width
                        height: Math.round(36 * root.s)
                        color: chapterSelected ? root.selectedRowColor
                                               : (chapterArea.containsMouse ? root.hoverColor : "transparent")
                        Text {
                            id: chapterTitle
                            visible: !chapterEditing
                            x: Math.round(34 * root.s)
                            width: parent.width - x - Math.round(8 * root.s)
                            anchors.verticalCenter: parent.verticalCenter
                            text: chapterName
                            elide: Text.ElideRight
                            font.pixelSize: Math.round(13 * root.s)
                            color: chapterSelected ? "#FFFFFF" : root.textColor
                        }
                        TextField {
                            id: chapterEditor
                            visible: chapterEditing
                            x: chapterTitle.x
                            width: chapterTitle.width
                            height: parent.height - Math.round(8 * root.s)
                            anchors.verticalCenter: parent.verticalCenter
                            font.pixelSize: Math.round(13 * root.s)
                            padding: Math.round(2 * root.s)
                            background: Rectangle { border.color: root.editorBorder; border.width: 1; color: root.backColor }
                            color: root.textColor
                            objectName: "chapterNameBox"
                            // Set by Escape: the box closes with the name unchanged.
                            property bool dropped: false
                            // In view, as the name being typed is the author's.
                            function open() {
                                dropped = false; text = chapterName; forceActiveFocus(); selectAll(); volumeCtr.takeKeys()
                                Qt.callLater(root.showItem, chapterRow)
                            }
                            onVisibleChanged: if (visible) open()
                            // A row rebuilt while its title is edited opens
                            // with the name, not empty.
                            Component.onCompleted: if (visible) open()
                            onActiveFocusChanged: {
                                if (!activeFocus && visible && !root.keptOpen(focusReason)) {
                                    if (!dropped && root.confirmedBy(focusReason) && text.length > 0
                                            && text !== chapterName)
                                        volumeCtr.changeChapterName(localVolumeId, localId,
                                                                    chapterDelegate.chapterIndex, text)
                                    volumeCtr.editChapter(localVolumeId, chapterDelegate.chapterIndex, false)
                                }
                            }
                            onAccepted: focus = false
                            Keys.onEscapePressed: { dropped = true; focus = false }
                        }
                        MouseArea {
                            id: chapterArea
                            anchors.fill: parent
                            enabled: !chapterEditing
                            hoverEnabled: true
                            acceptedButtons: Qt.LeftButton | Qt.RightButton
                            property point pressPoint
                            onPressed: pressPoint = Qt.point(mouse.x, mouse.y)
                            onClicked: {
                                if (mouse.button === Qt.RightButton) {
                                    var p = mapToGlobal(mouse.x, mouse.y)
                                    volumeCtr.openMenu(1, Qt.point(p.x, p.y), localVolumeId, localId)
                                } else if (root.dragKind === 0) {
                                    volumeCtr.selectedChapter(localVolumeId, chapterDelegate.chapterIndex, localId)
                                }
                            }
                            onDoubleClicked: if (mouse.button === Qt.LeftButton)
                                                 volumeCtr.editChapter(localVolumeId, chapterDelegate.chapterIndex, true)
                            onPositionChanged: {
                                if (!pressed || !(mouse.buttons & Qt.LeftButton))
                                    return
                                if (root.dragKind === 0 && Math.abs(mouse.y - pressPoint.y) > root.dragThreshold) {
                                    root.dragKind = 2
                                    root.dragFrom = chapterDelegate.chapterIndex
                                    root.dragVolumeId = localVolumeId
                                }
                                if (root.dragKind === 2)
                                    root.trackChapterDrag(mapToItem(volumeList.contentItem, mouse.x, mouse.y))
                            }
                            onReleased: {
                                if (root.dragKind !== 2)
                                    return
                                // The drop may rebuild this row: the root does the rest.
                                root.dropChapter()
                            }
                        }
                    }
                    Rectangle {
                        y: Math.round(38 * root.s)
                        width: parent.width
                        height: Math.round(2 * root.s)
                        color: moveLine === 1 ? root.lineColor : "transparent"
                    }
                }
            }
        }
    }

    function setEdgeScroll(yInView) {
        if (yInView < dragThreshold) edgeScroll.step = -Math.round(8 * s)
        else if (yInView > volumeList.height - dragThreshold) edgeScroll.step = Math.round(8 * s)
        else edgeScroll.step = 0
    }

    function trackVolumeDrag(p) {
        setEdgeScroll(p.y - volumeList.contentY)
        var target = volumeList.indexAt(10, p.y)
        dropTarget = target
        if (target < 0 || target === dragFrom) {
            volumeCtr.clearVolumeLines()
            dropTarget = target === dragFrom ? -1 : target
            return
        }
        volumeCtr.moveVolumePos(target, target > dragFrom)
    }

    // Finds the chapter row (or volume title) under a point of the list.
    function chapterAt(p) {
        var v = volumeList.indexAt(10, p.y)
        if (v < 0)
            return null
        var item = volumeList.itemAtIndex(v)
        var inside = p.y - item.y
        if (inside < rowHeight)
            return { volume: item, row: -1, h: inside }
        var list = item.chapterView
        var r = Math.floor((inside - rowHeight) / rowHeight)
        if (!list.visible || r >= list.count)
            return null
        return { volume: item, row: r, h: inside - rowHeight - r * rowHeight }
    }

    function trackChapterDrag(p) {
        setEdgeScroll(p.y - volumeList.contentY)
        volumeCtr.clearChapterLines()
        dropTarget = -1
        dropOnTitle = false
        var hit = chapterAt(p)
        if (hit === null)
            return
        dropVolumeId = hit.volume.volumeLocalId
        if (hit.row < 0) {
            dropOnTitle = hit.volume.volumeLocalId !== dragVolumeId
            return
        }
        var sameVolume = dropVolumeId === dragVolumeId
        if (sameVolume && hit.row === dragFrom)
            return
        if (sameVolume && ((hit.row === dragFrom - 1 && hit.h >= dragThreshold)
                           || (hit.row === dragFrom + 1 && hit.h <= dragThreshold)))
            return
        dropTarget = hit.row
        dropBottom = hit.h > dragThreshold
        volumeCtr.moveChapterPos(dropTarget, dragVolumeId, dropVolumeId, dropBottom)
    }

    function dropVolume() {
        var from = dragFrom
        var target = dropTarget
        endDrag()
        volumeCtr.moveVolume(from, target >= 0 ? target : from, 1)
    }

    function dropChapter() {
        var from = dragFrom
        var fromVolume = dragVolumeId
        var target = dropTarget
        var toVolume = dropVolumeId
        var bottom = dropBottom
        var onTitle = dropOnTitle
        endDrag()
        if (onTitle) {
            volumeCtr.moveChapter(from, fromVolume, 0, toVolume, false)
            volumeCtr.expand(toVolume, true)
        } else if (target >= 0) {
            volumeCtr.moveChapter(from, fromVolume, target, toVolume, bottom)
        } else {
            volumeCtr.moveChapter(from, fromVolume, from, fromVolume, true)
        }
        volumeCtr.clearChapterLines()
    }

    function endDrag() {
        dragKind = 0
        dragFrom = -1
        dropTarget = -1
        dropOnTitle = false
        edgeScroll.step = 0
    }
}
