// Outline types: colours and the placeholder of an empty card.
.pragma library

var typeColors = ["#FF8AA6", "#FF8AA6", "#FFD36D", "#B5E6FF", "#9292FB"];

function typeColor(type) {
    return (type >= 1 && type <= 4) ? typeColors[type] : typeColors[1];
}

function placeholder(type) {
    switch (type) {
    case 2: return qsTr("please input plot outline");
    case 3: return qsTr("please input people outline");
    case 4: return qsTr("please input other outline");
    default: return qsTr("please input bool outline");
    }
}

// Panel colours by theme number (1, 2, 3, anything else).
function barColor(theme) {
    return theme === 1 || theme === 3 ? "#51A8FF" : "#464646";
}

function menuColor(theme) {
    return theme === 1 ? "#FBFBFB" : theme === 2 ? "#222222" : theme === 3 ? "#CBF1CE" : "#272829";
}

function menuTextColor(theme) {
    return theme === 2 ? "#9A9FAA" : "#525252";
}

function menuHoverColor(theme) {
    return theme === 2 ? "#272B2F" : theme === 3 ? "#AAD6AD" : "#E1ECF9";
}

var filterIcons = ["all", "blue", "green", "yellow", "red"];

function filterIcon(filter, hovered) {
    var name = filterIcons[(filter >= 0 && filter <= 4) ? filter : 0];
    return "qrc:/outline/image/btn_filter_" + name + (hovered ? "_hover" : "") + "_1.svg";
}
