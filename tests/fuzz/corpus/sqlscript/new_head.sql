-- The local database of the writing client, created once per installation.
-- Seed rows stand for the platform's data sets of version 1; a newer list
-- from the platform replaces them.
PRAGMA foreign_keys = OFF;

DROP TABLE IF EXISTS "main"."tb_book";
CREATE TABLE "tb_book" (
  "localId" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL DEFAULT 0,
  "bookId" INTEGER DEFAULT 0,
  "status" INTEGER DEFAULT 1,
  "authorId" INTEGER NOT NULL DEFAULT 0,
  "bookName" TEXT NOT NULL DEFAULT '',
  "cateFid" INTEGER NOT NULL DEFAULT 0,
  "cateId" INTEGER NOT NULL DEFAULT 0,
  "channelType" INTEGER NOT NULL DEFAULT 0,
  "chapterCount" INTEGER NOT NULL DEFAULT 0,
  "coverUrl" TEXT,
  "localCover" TEXT,
  "createTime" INTEGER NOT NULL DEFAULT 0,
  "intro" TEXT,
  "updateTime" INTEGER NOT NULL DEFAULT 0,
  "wordNum" INTEGER NOT NULL DEFAULT 0,
  "lastEditChapterId" INTEGER NOT NULL DEFAULT 0,
  "orderType" INTEGER NOT NULL DEFAULT 0,
  "money" REAL NOT NULL DEFAULT 0.00
);

DROP TABLE IF EXISTS "main"."tb_cate";
CREATE TABLE "tb_cate" (
  "cateId" INTEGER NOT NULL,
  "fId" INTEGER,
  "cateName" TEXT,
  "channelType" INTEGER,
  "childCount" INTEGER DEFAULT 0,
  PRIMARY KEY ("cateId" ASC)
);

INSERT INTO "main"."tb_cate" VALUES (5001, 1, '都市', 1, 3);
INSERT INTO "main"."tb_cate" VALUES (5002, 1, '玄幻', 1, 3);
INSERT INTO "main"."tb_cate" VALUES (5003, 1, '仙侠', 1, 3);
INSERT INTO "main"."tb_cate" VALUES (5004, 1, '悬疑', 1, 3);
INSERT INTO "main"."tb_cate" VALUES (5005, 1, '历史', 1, 3);
INSERT INTO "main"."tb_cate" VALUES (5006, 1, '游戏', 1, 2);
INSERT INTO "main"."tb_cate" VALUES (5007, 1, '科幻', 1, 2);
INSERT INTO "main"."tb_cate" VALUES (5008, 1, '武侠', 1, 2);
INSERT INTO "main"."tb_cate" VALUES (5009, 1, '奇幻', 1, 2);
INSERT INTO "main"."tb_cate" VALUES (5010, 1, '竞技', 1, 2);
INSERT INTO "main"."tb_cate" VALUES (5011, 1, '其他', 1, 3);
INSERT INTO "main"."tb_cate" VALUES (5012, 2, '现言', 2, 3);
INSERT INTO "main"."tb_cate" VALUES (5013, 2, '古言', 2, 3);
INSERT INTO "main"."tb_cate" VALUES (5014, 2, '穿越', 2, 2);
INSERT INTO "main"."tb_cate" VALUES (5015, 2, '幻言', 2, 3);
INSERT INTO "main"."tb_cate" VALUES (5016, 2, '校园', 2, 2);
INSERT INTO "main"."tb_cate" VALUES (5017, 2, '架空', 2, 2);
INSERT INTO "main"."tb_cate" VALUES (5018, 2, '宫斗', 2, 2);
INSERT INTO "main"."tb_cate" VALUES (5019, 2, '青春', 2, 2);
INSERT INTO "main"."tb_cate" VALUES (5020, 2, '官场', 2, 2);
INSERT INTO "main"."tb_cate" VALUES (5021, 2, '灵异', 2, 3);
INSERT INTO "main"."tb_cate" VALUES (5022, 1, '职场', 1, 2);
INSERT INTO "main"."tb_cate" VALUES (50010, 5001, '现代生活', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50011, 5001, '异能重生', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50012, 5001, '热血人生', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50020, 5002, '东方玄幻', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50021, 5002, '异界大陆', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50022, 5002, '转世重生', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50030, 5003, '现代修真', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50031, 5003, '奇幻修真', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50032, 5003, '洪荒封神', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50040, 5004, '灵异鬼怪', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50041, 5004, '恐怖惊悚', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50042, 5004, '悬疑探险', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50050, 5005, '架空历史', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50051, 5005, '两宋元明', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50052, 5005, '秦汉三国', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50060, 5006, '虚拟网游', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50061, 5006, '游戏异界', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50070, 5007, '未来世界', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50071, 5007, '进化变异', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50080, 5008, '传统武侠', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50081, 5008, '幻武异侠', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50090, 5009, '西方奇幻', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50091, 5009, '领主贵族', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50100, 5010, '电子竞技', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50101, 5010, '体坛风云', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50110, 5011, '电子动漫', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50111, 5011, '原著影视', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50112, 5011, '网游情缘', 1, 0);
INSERT INTO "main"."tb_cate" VALUES (50120, 5012, '霸道总裁', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50121, 5012, '生死虐恋', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50122, 5012, '绝地复仇', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50130, 5013, '宫廷皇妃', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50131, 5013, '女尊王朝', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50132, 5013, '宿世情缘', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50140, 5014, '冰山王爷', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50141, 5014, '破镜重圆', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50150, 5015, '女主仙侠', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50151, 5015, '现代修真', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50152, 5015, '仙侠神话', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50160, 5016, '校草校花', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50161, 5016, '唯美爱情', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50170, 5017, '任性魔女', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50171, 5017, '架空女贼', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50180, 5018, '宫廷斗争', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50181, 5018, '宅斗家斗', 2, 0);
INSERT INTO "main"."tb_cate" VALUES (50190, 5019, '青春纯爱', 2, 0);
