CREATE TABLE t(a TEXT DEFAULT ';');
-- a comment; with semicolon
CREATE TRIGGER tr AFTER INSERT ON t BEGIN UPDATE t SET a = 'x;y'; DELETE FROM t WHERE a = "q;"; END;
/* block ; */ INSERT INTO [we;ird] VALUES(`b;`);
'unterminated ;