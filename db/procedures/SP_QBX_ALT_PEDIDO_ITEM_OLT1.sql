-- Changes an item: the shipping date, part, order and quantity given, and
-- status 509 (new) again. The update is recorded in Infra_Operacao (entity
-- 260, operation 2, the user id, the item id; a missing id is recorded as 0)
-- and the answer is RETORNO 0 with the order id given in PEDIDO_ID, also when
-- no item has that id. The sixth argument is not used.
CREATE PROCEDURE SP_QBX_ALT_PEDIDO_ITEM_OLT1 (@PEDIDO_ITEM_ID INTEGER, @DATA_EMBARQUE DATE, @PECA_ID INTEGER,
                                             @PEDIDO_ID INTEGER, @QTDE_PEDIDA INTEGER, @EMPRESA_ID INTEGER,
                                             @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO_ITEM
   SET DATA_EMBARQUE = @DATA_EMBARQUE, PECA_ID = @PECA_ID, PEDIDO_ID = @PEDIDO_ID, QTDE_PEDIDA = @QTDE_PEDIDA,
       TAB_STATUS_ID = 509
 WHERE PEDIDO_ITEM_ID = @PEDIDO_ITEM_ID;
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
VALUES (260, 2, COALESCE(@USUARIO_ID, 0), COALESCE(@PEDIDO_ITEM_ID, 0), julianday('now', 'localtime'));
SELECT 0 AS RETORNO, '' AS MSG_RET, @PEDIDO_ID AS PEDIDO_ID;
